// Whole-file read and zlib deflate/inflate in 128 KiB rounds, bounded by the output block.
#include "core/util/Compression.h"

#include "platform/system/Paths.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <zlib.h>

namespace {

constexpr unsigned kRound = 0x20000;    // 128 KiB of input or output per zlib call
constexpr long long kSlack = 0x20200;   // room added to every output block

long long BlockSize(long long n)
{
    return n + n / 16 + kSlack;
}

void ClearOutputs(int* outLength, unsigned char** out)
{
    if (outLength)
        *outLength = 0;
    if (out)
        *out = nullptr;
}

} // namespace

bool ReadWholeFile(const std::string& path, int* length, unsigned char** buffer)
{
    FILE* file = platform::OpenFile(path, "rb");
    if (!file)
        return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size < INT_MAX && std::fseek(file, 0, SEEK_SET) == 0;
    unsigned char* block = ok ? static_cast<unsigned char*>(std::malloc(static_cast<size_t>(size) + 1)) : nullptr;
    ok = ok && block && std::fread(block, 1, static_cast<size_t>(size), file) == static_cast<size_t>(size);
    std::fclose(file);
    if (!ok) {
        std::free(block);
        ClearOutputs(length, buffer);
        return false;
    }
    block[size] = 0;
    *length = static_cast<int>(size);
    *buffer = block;
    return true;
}

bool DeflateBuffer(int inLength, const unsigned char* in, int* outLength, unsigned char** out)
{
    ClearOutputs(outLength, out);
    if (inLength < 0 || (inLength > 0 && !in))
        return false;
    long long blockSize = BlockSize(inLength);
    if (blockSize > INT_MAX)
        return false;
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(blockSize)));
    if (!block)
        return false;

    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (deflateInit(&zs, Z_DEFAULT_COMPRESSION) != Z_OK) {
        std::free(block);
        return false;
    }
    zs.next_in = const_cast<Bytef*>(in);
    zs.next_out = block;
    int rc = Z_OK;
    while (rc == Z_OK) {
        long long remaining = inLength - static_cast<long long>(zs.total_in);
        long long room = blockSize - static_cast<long long>(zs.total_out);
        zs.avail_in = static_cast<uInt>(std::min<long long>(remaining, kRound));
        zs.avail_out = static_cast<uInt>(std::min<long long>(room, kRound));
        int flush = (zs.avail_in == remaining) ? Z_FINISH : Z_SYNC_FLUSH;
        if (zs.avail_out == 0) {
            rc = Z_BUF_ERROR;
            break;
        }
        rc = deflate(&zs, flush);
    }
    long long produced = static_cast<long long>(zs.total_out);
    deflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        std::free(block);
        return false;
    }
    *outLength = static_cast<int>(produced);
    *out = block;
    return true;
}

bool InflateBuffer(int inLength, const unsigned char* in, int* outLength, unsigned char** out, int expectedSize)
{
    ClearOutputs(outLength, out);
    // The expected size is taken as unsigned, as the callers pass it; it bounds the output block.
    long long expected = static_cast<unsigned int>(expectedSize);
    if (inLength < 0 || (inLength > 0 && !in) || expected > kMaxInflateSize)
        return false;
    long long blockSize = BlockSize(expected);
    if (inLength > blockSize) // more input than any stream of at most `expected` bytes could take
        return false;
    auto* block = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(blockSize)));
    if (!block)
        return false;

    z_stream zs;
    std::memset(&zs, 0, sizeof zs);
    if (inflateInit(&zs) != Z_OK) {
        std::free(block);
        return false;
    }
    zs.next_in = const_cast<Bytef*>(in);
    zs.next_out = block;
    int rc = Z_OK;
    while (rc == Z_OK) {
        long long remaining = inLength - static_cast<long long>(zs.total_in);
        long long room = blockSize - static_cast<long long>(zs.total_out);
        if (room <= 0) {
            rc = Z_BUF_ERROR; // the stream holds more than the block can take
            break;
        }
        zs.avail_in = static_cast<uInt>(std::min<long long>(remaining, kRound));
        zs.avail_out = static_cast<uInt>(std::min<long long>(room, kRound));
        rc = inflate(&zs, Z_SYNC_FLUSH); // Z_BUF_ERROR when the input ends before the stream does
    }
    long long produced = static_cast<long long>(zs.total_out);
    inflateEnd(&zs);
    if (rc != Z_STREAM_END) {
        std::free(block);
        return false;
    }
    *outLength = static_cast<int>(produced);
    *out = block;
    return true;
}
