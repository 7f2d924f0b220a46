// The image library's FILE* and memory streams.
#include "imagelib/RasterFile.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <utility>

bool CRasterFile::PutC(uint8_t c)
{
    return Write(&c, 1, 1) == 1;
}

// ---- CRasterIOFile ----

CRasterIOFile::CRasterIOFile(FILE* fp) : m_fp(fp), m_bCloseFile(fp == nullptr) {}

CRasterIOFile::~CRasterIOFile()
{
    Close();
}

CRasterIOFile::CRasterIOFile(CRasterIOFile&& other) noexcept : m_fp(other.m_fp), m_bCloseFile(other.m_bCloseFile)
{
    other.m_fp = nullptr;
    other.m_bCloseFile = true;
}

CRasterIOFile& CRasterIOFile::operator=(CRasterIOFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_fp = std::exchange(other.m_fp, nullptr);
        m_bCloseFile = std::exchange(other.m_bCloseFile, true);
    }
    return *this;
}

bool CRasterIOFile::Open(const char* name, const char* mode)
{
    if (m_fp || !name || !mode)
        return false;
    m_fp = std::fopen(name, mode);
    if (!m_fp)
        return false;
    m_bCloseFile = true;
    return true;
}

bool CRasterIOFile::Close()
{
    if (!m_fp || !m_bCloseFile)
        return true;
    int rc = std::fclose(m_fp);
    m_fp = nullptr;
    return rc == 0;
}

uint32_t CRasterIOFile::Read(void* buffer, uint32_t size, uint32_t count)
{
    if (!m_fp || !buffer)
        return 0;
    return static_cast<uint32_t>(std::fread(buffer, size, count, m_fp));
}

uint32_t CRasterIOFile::Write(const void* buffer, uint32_t size, uint32_t count)
{
    if (!m_fp || !buffer)
        return 0;
    return static_cast<uint32_t>(std::fwrite(buffer, size, count, m_fp));
}

bool CRasterIOFile::Seek(int32_t offset, int32_t origin)
{
    if (!m_fp)
        return false;
    return std::fseek(m_fp, offset, origin) == 0;
}

int32_t CRasterIOFile::Tell()
{
    if (!m_fp)
        return 0;
    long pos = std::ftell(m_fp);
    return pos > INT32_MAX ? -1 : static_cast<int32_t>(pos);
}

int32_t CRasterIOFile::Size()
{
    if (!m_fp)
        return -1;
    long pos = std::ftell(m_fp);
    std::fseek(m_fp, 0, SEEK_END);
    long size = std::ftell(m_fp);
    std::fseek(m_fp, pos, SEEK_SET);
    return size > INT32_MAX ? -1 : static_cast<int32_t>(size);
}

bool CRasterIOFile::Flush()
{
    return m_fp && std::fflush(m_fp) == 0;
}

bool CRasterIOFile::Eof()
{
    return !m_fp || std::feof(m_fp) != 0;
}

int32_t CRasterIOFile::Error()
{
    return m_fp ? std::ferror(m_fp) : -1;
}

bool CRasterIOFile::PutC(uint8_t c)
{
    return m_fp && std::fputc(c, m_fp) == c;
}

int32_t CRasterIOFile::GetC()
{
    return m_fp ? std::getc(m_fp) : -1;
}

// ---- CRasterMemFile ----

CRasterMemFile::CRasterMemFile(uint8_t* buffer, uint32_t size)
    : m_pBuffer(buffer), m_Size(buffer ? static_cast<int32_t>(size > INT32_MAX ? INT32_MAX : size) : 0),
      m_bFreeOnClose(buffer == nullptr), m_bOwnBlock(buffer == nullptr), m_Position(0), m_Edge(buffer ? size : 0)
{
}

CRasterMemFile::~CRasterMemFile()
{
    Close();
}

CRasterMemFile::CRasterMemFile(CRasterMemFile&& other) noexcept
    : m_pBuffer(other.m_pBuffer), m_Size(other.m_Size), m_bFreeOnClose(other.m_bFreeOnClose),
      m_bOwnBlock(other.m_bOwnBlock), m_Position(other.m_Position), m_Edge(other.m_Edge)
{
    other.Reset();
}

CRasterMemFile& CRasterMemFile::operator=(CRasterMemFile&& other) noexcept
{
    if (this != &other) {
        Close();
        m_pBuffer = other.m_pBuffer;
        m_Size = other.m_Size;
        m_bFreeOnClose = other.m_bFreeOnClose;
        m_bOwnBlock = other.m_bOwnBlock;
        m_Position = other.m_Position;
        m_Edge = other.m_Edge;
        other.Reset();
    }
    return *this;
}

void CRasterMemFile::Reset()
{
    m_pBuffer = nullptr;
    m_Size = 0;
    m_bFreeOnClose = true;
    m_bOwnBlock = true;
    m_Position = 0;
    m_Edge = 0;
}

bool CRasterMemFile::Open()
{
    if (m_pBuffer)
        return false;
    m_Size = 0;
    m_Position = 0;
    m_Edge = 0;
    m_pBuffer = static_cast<uint8_t*>(std::malloc(1));
    m_bFreeOnClose = true;
    m_bOwnBlock = true;
    if (m_pBuffer)
        m_Edge = 1;
    return m_pBuffer != nullptr;
}

uint8_t* CRasterMemFile::GetBuffer(bool detach)
{
    // Without detach the stream frees only a block it allocated: a caller's block was never its to free.
    m_bFreeOnClose = !detach && m_bOwnBlock;
    return m_pBuffer;
}

bool CRasterMemFile::Close()
{
    if (m_pBuffer && m_bFreeOnClose) {
        std::free(m_pBuffer);
        m_pBuffer = nullptr;
        m_Size = 0;
    }
    return true;
}

void CRasterMemFile::Free()
{
    Close();
}

bool CRasterMemFile::Alloc(uint64_t length)
{
    if (length <= m_Edge)
        return true;
    // Positions are signed 32-bit: a stream never grows past that.
    uint64_t capacity = (length & ~uint64_t(0xFFF)) + 4096;
    if (capacity > uint64_t(INT32_MAX) + 1)
        return false;
    uint8_t* block;
    if (m_pBuffer && m_bFreeOnClose) {
        block = static_cast<uint8_t*>(std::realloc(m_pBuffer, capacity));
    } else {
        // A caller's block is never resized in place (it may not come from malloc): copy into a new one.
        block = static_cast<uint8_t*>(std::malloc(capacity));
        if (block && m_pBuffer && m_Size > 0)
            std::memcpy(block, m_pBuffer, static_cast<size_t>(m_Size));
    }
    if (!block)
        return false;
    m_pBuffer = block;
    m_Edge = static_cast<uint32_t>(capacity);
    m_bFreeOnClose = true;
    m_bOwnBlock = true;
    return true;
}

bool CRasterMemFile::Reserve(uint64_t count)
{
    uint64_t end = static_cast<uint64_t>(m_Position) + count;
    if (end > uint64_t(INT32_MAX))
        return false;
    if (end > m_Edge && !Alloc(end))
        return false;
    // A write after a seek past the data leaves no stale bytes behind it.
    if (m_Position > m_Size)
        std::memset(m_pBuffer + m_Size, 0, static_cast<size_t>(m_Position - m_Size));
    return true;
}

uint32_t CRasterMemFile::Read(void* buffer, uint32_t size, uint32_t count)
{
    if (!buffer || !m_pBuffer || m_Position >= m_Size)
        return 0;
    uint64_t wanted = static_cast<uint64_t>(size) * count;
    if (wanted == 0)
        return 0;
    uint64_t left = static_cast<uint64_t>(m_Size - m_Position);
    uint64_t n = wanted < left ? wanted : left;
    std::memcpy(buffer, m_pBuffer + m_Position, static_cast<size_t>(n));
    m_Position += static_cast<int32_t>(n);
    return static_cast<uint32_t>(n / size);
}

uint32_t CRasterMemFile::Write(const void* buffer, uint32_t size, uint32_t count)
{
    if (!m_pBuffer || !buffer)
        return 0;
    uint64_t n = static_cast<uint64_t>(size) * count;
    if (n == 0 || !Reserve(n))
        return 0;
    std::memcpy(m_pBuffer + m_Position, buffer, static_cast<size_t>(n));
    m_Position += static_cast<int32_t>(n);
    if (m_Position > m_Size)
        m_Size = m_Position;
    return count;
}

bool CRasterMemFile::Seek(int32_t offset, int32_t origin)
{
    if (!m_pBuffer)
        return false;
    int64_t base;
    switch (origin) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = m_Position;
        break;
    case SEEK_END:
        base = m_Size;
        break;
    default:
        return false;
    }
    int64_t pos = base + offset;
    if (pos < 0)
        pos = 0;
    if (pos > INT32_MAX)
        return false;
    m_Position = static_cast<int32_t>(pos);
    return true;
}

int32_t CRasterMemFile::Tell()
{
    return m_pBuffer ? m_Position : -1;
}

int32_t CRasterMemFile::Size()
{
    return m_pBuffer ? m_Size : -1;
}

bool CRasterMemFile::Flush()
{
    return m_pBuffer != nullptr;
}

bool CRasterMemFile::Eof()
{
    return !m_pBuffer || m_Position >= m_Size;
}

int32_t CRasterMemFile::Error()
{
    if (!m_pBuffer)
        return -1;
    return m_Position > m_Size ? 1 : 0;
}

bool CRasterMemFile::PutC(uint8_t c)
{
    if (!m_pBuffer || !Reserve(1))
        return false;
    m_pBuffer[m_Position++] = c;
    if (m_Position > m_Size)
        m_Size = m_Position;
    return true;
}

int32_t CRasterMemFile::GetC()
{
    if (Eof())
        return -1;
    return m_pBuffer[m_Position++];
}
