// A buffered byte reader over a codec's stream that knows its end exactly (a FILE's end flag is set only after a
// read fails), and how many bytes a stream can still deliver.
#pragma once

#include "imagelib/RasterFile.h"

#include <algorithm>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <vector>

class CRasterByteReader {
public:
    explicit CRasterByteReader(CRasterFile* file) : m_file(file), m_buf(16384) {}
    // Gives the bytes read ahead back to the stream, so it stands right after what was used.
    ~CRasterByteReader()
    {
        if (m_file && m_pos < m_len)
            m_file->Seek(-static_cast<int32_t>(m_len - m_pos), SEEK_CUR);
    }
    CRasterByteReader(const CRasterByteReader&) = delete;
    CRasterByteReader& operator=(const CRasterByteReader&) = delete;

    // True when no byte is left.
    bool AtEnd() { return !Fill(); }
    // One byte as 0..255, or -1 at the end.
    int Get() { return Fill() ? m_buf[m_pos++] : -1; }
    // Up to n bytes; the count delivered.
    uint32_t Read(uint8_t* dst, uint32_t n)
    {
        uint32_t done = 0;
        while (done < n && Fill()) {
            uint32_t k = std::min(n - done, m_len - m_pos);
            std::memcpy(dst + done, m_buf.data() + m_pos, k);
            m_pos += k;
            done += k;
        }
        return done;
    }

    // Bytes left between the stream's position and its end, or -1 when the stream cannot tell.
    static int64_t Remaining(CRasterFile* file)
    {
        int64_t size = file->Size(), pos = file->Tell();
        if (size < 0 || pos < 0)
            return -1;
        return std::max<int64_t>(0, size - pos);
    }

private:
    bool Fill()
    {
        if (m_pos < m_len)
            return true;
        if (m_end || !m_file)
            return false;
        m_len = m_file->Read(m_buf.data(), 1, static_cast<uint32_t>(m_buf.size()));
        m_pos = 0;
        if (m_len == 0)
            m_end = true;
        return m_len != 0;
    }

    CRasterFile* m_file;
    std::vector<uint8_t> m_buf;
    uint32_t m_pos = 0, m_len = 0;
    bool m_end = false;
};
