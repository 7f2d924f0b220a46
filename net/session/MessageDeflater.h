// Deflates game messages with one zlib stream kept from message to message: the bytes DeflateBuffer makes,
// without its quarter megabyte of allocations for each message.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class CMessageDeflater {
public:
    CMessageDeflater();
    ~CMessageDeflater();
    CMessageDeflater(const CMessageDeflater&) = delete;
    CMessageDeflater& operator=(const CMessageDeflater&) = delete;

    // Deflates `length` bytes into Output(); false on a zlib error (Output() is then empty).
    bool Deflate(const uint8_t* data, size_t length);
    const std::vector<uint8_t>& Output() const { return m_aOut; }

private:
    struct Stream;
    std::unique_ptr<Stream> m_pStream;
    std::vector<uint8_t> m_aOut;
};
