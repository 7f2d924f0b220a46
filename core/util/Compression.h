// Whole-file read and zlib buffer compression for files and large game messages sent between machines.
#pragma once

#include <string>

// Reads a file whole into a new malloc block of length + 1 bytes (the last byte is 0). The caller frees it.
// False when the file is missing or not every byte could be read; the outputs are then length 0 and null.
bool ReadWholeFile(const std::string& path, int* length, unsigned char** buffer);

// Deflates `inLength` bytes into a new malloc block of inLength + inLength / 16 + 0x20200 bytes, in rounds of
// at most 128 KiB in and out. The caller frees the block. False (outputs 0 and null) on any zlib error.
bool DeflateBuffer(int inLength, const unsigned char* in, int* outLength, unsigned char** out);

// Inflates a zlib stream whose inflated size is at most `expectedSize` into a new malloc block of
// expectedSize + expectedSize / 16 + 0x20200 bytes. The caller frees the block. False (outputs 0 and null)
// on an oversized, truncated or corrupt stream; the output block is never overrun.
bool InflateBuffer(int inLength, const unsigned char* in, int* outLength, unsigned char** out, int expectedSize);

// The largest expected size InflateBuffer accepts.
constexpr long long kMaxInflateSize = 256LL * 1024 * 1024;
