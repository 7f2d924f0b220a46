// One deflate stream, reset for each message; long payloads take DeflateBuffer's own rounds.
#include "net/session/MessageDeflater.h"

#include "core/util/Compression.h"

#include <cstdlib>
#include <zlib.h>

namespace {

// DeflateBuffer deflates up to 128 KiB of input in one call; within that one stream gives the same bytes.
constexpr size_t kOneCall = 64 * 1024;

} // namespace

struct CMessageDeflater::Stream {
    z_stream zs{};
    bool bReady = false;
};

CMessageDeflater::CMessageDeflater() : m_pStream(std::make_unique<Stream>())
{
    m_pStream->bReady = deflateInit(&m_pStream->zs, Z_DEFAULT_COMPRESSION) == Z_OK;
}

CMessageDeflater::~CMessageDeflater()
{
    if (m_pStream->bReady)
        deflateEnd(&m_pStream->zs);
}

bool CMessageDeflater::Deflate(const uint8_t* data, size_t length)
{
    m_aOut.clear();
    if (length > kOneCall || !m_pStream->bReady) {
        int packed = 0;
        unsigned char* block = nullptr;
        if (!DeflateBuffer(static_cast<int>(length), data, &packed, &block))
            return false;
        m_aOut.assign(block, block + packed);
        std::free(block);
        return true;
    }
    z_stream& zs = m_pStream->zs;
    if (deflateReset(&zs) != Z_OK)
        return false;
    m_aOut.resize(deflateBound(&zs, static_cast<uLong>(length)));
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = static_cast<uInt>(length);
    zs.next_out = m_aOut.data();
    zs.avail_out = static_cast<uInt>(m_aOut.size());
    if (deflate(&zs, Z_FINISH) != Z_STREAM_END) {
        m_aOut.clear();
        return false;
    }
    m_aOut.resize(zs.total_out);
    return true;
}
