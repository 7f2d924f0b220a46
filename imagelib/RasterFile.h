// Byte streams of the image library: the abstract stream, a FILE* stream and a growable memory stream.
#pragma once

#include <cstdint>
#include <cstdio>

// Abstract stream every codec reads and writes through. Origins of Seek: 0 start, 1 current, 2 end.
class CRasterFile {
public:
    CRasterFile() = default;
    virtual ~CRasterFile() = default;
    CRasterFile(const CRasterFile&) = delete;
    CRasterFile& operator=(const CRasterFile&) = delete;

    virtual bool Close() = 0;
    virtual uint32_t Read(void* buffer, uint32_t size, uint32_t count) = 0;
    virtual uint32_t Write(const void* buffer, uint32_t size, uint32_t count) = 0;
    virtual bool Seek(int32_t offset, int32_t origin) = 0;
    virtual int32_t Tell() = 0;
    virtual int32_t Size() = 0;
    virtual bool Flush() = 0;
    virtual bool Eof() = 0;
    virtual int32_t Error() = 0;
    // Writes one byte through Write; true when exactly one item went out.
    virtual bool PutC(uint8_t c);
    virtual int32_t GetC() = 0;

protected:
    CRasterFile(CRasterFile&&) = default;
    CRasterFile& operator=(CRasterFile&&) = default;
};

// A stream over a standard I/O handle. A handle handed in stays the caller's; one opened here is closed here.
class CRasterIOFile : public CRasterFile {
public:
    explicit CRasterIOFile(FILE* fp = nullptr);
    ~CRasterIOFile() override;
    // Move-only: a copy would close the same handle twice.
    CRasterIOFile(CRasterIOFile&& other) noexcept;
    CRasterIOFile& operator=(CRasterIOFile&& other) noexcept;

    bool Open(const char* name, const char* mode);

    bool Close() override;
    uint32_t Read(void* buffer, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t size, uint32_t count) override;
    bool Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(uint8_t c) override;
    int32_t GetC() override;

    FILE* GetHandle() const { return m_fp; }

protected:
    FILE* m_fp;
    bool m_bCloseFile;
};

// A growable memory stream. Made with no buffer it owns what it allocates; made over a caller's buffer it reads
// and writes that buffer in place, and moves to a block of its own when a write needs more room.
class CRasterMemFile : public CRasterFile {
public:
    explicit CRasterMemFile(uint8_t* buffer = nullptr, uint32_t size = 0);
    ~CRasterMemFile() override;
    // Move-only: a copy would free the same block twice.
    CRasterMemFile(CRasterMemFile&& other) noexcept;
    CRasterMemFile& operator=(CRasterMemFile&& other) noexcept;

    bool Open();
    // Hands the block out; with detach the caller owns it (free it with std::free), else the stream keeps it (a
    // caller's block the stream was made over stays the caller's).
    uint8_t* GetBuffer(bool detach = true);
    uint32_t Capacity() const { return m_Edge; }
    // The block as it stands, for reading in place; who owns it does not change.
    const uint8_t* Data() const { return m_pBuffer; }

    bool Close() override;
    uint32_t Read(void* buffer, uint32_t size, uint32_t count) override;
    uint32_t Write(const void* buffer, uint32_t size, uint32_t count) override;
    bool Seek(int32_t offset, int32_t origin) override;
    int32_t Tell() override;
    int32_t Size() override;
    bool Flush() override;
    bool Eof() override;
    int32_t Error() override;
    bool PutC(uint8_t c) override;
    int32_t GetC() override;

protected:
    // Grows the block to hold at least `length` bytes, in whole 4096-byte steps; false when memory ran out.
    bool Alloc(uint64_t length);
    void Free();
    // Makes room for `count` bytes at the position and zeroes any gap behind the data; false leaves all as it was.
    bool Reserve(uint64_t count);
    void Reset();

    uint8_t* m_pBuffer;
    int32_t m_Size;
    bool m_bFreeOnClose;
    bool m_bOwnBlock; // the block came from this stream's malloc or realloc
    int32_t m_Position;
    uint32_t m_Edge;
};
