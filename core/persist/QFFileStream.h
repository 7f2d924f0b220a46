// The buffered file an archive reads or writes: text or binary, six open modes, and safe replacement on save.
#pragma once

#include <cstdio>
#include <memory>
#include <string>

namespace platform {
class CSafeFile;
}

class QFFileStream {
public:
    enum Type { kText = 0, kBinary = 1 };
    enum Mode { kRead = 0, kWrite = 1, kReadUpdate = 2, kAppend = 3, kWriteUpdate = 4, kAppendUpdate = 5 };

    QFFileStream();
    virtual ~QFFileStream();
    QFFileStream(const QFFileStream&) = delete;
    QFFileStream& operator=(const QFFileStream&) = delete;

    virtual bool IsEOF();
    // Closes the file; false when none is open or the close failed. A safe-write stream is committed here:
    // the temporary replaces the target only when every write and the close succeeded.
    virtual bool Close();
    virtual bool IsBuffered() { return m_buffered; }
    virtual bool Open(const std::string& path, int type, int mode);
    virtual bool DoOpen();
    virtual bool Read(void* buffer, int* length);
    // Reads one line (the line feed kept, a CR LF read as LF); false when closed, not text, or at end of file
    // (buffer emptied).
    virtual bool ReadLine(char* buffer, int* size);
    virtual bool AllocBuffer();
    // False when closed or when fewer than `length` bytes were accepted.
    virtual bool Write(const void* data, int length);
    virtual int GetBufferSize() { return m_bufferSize; }
    virtual std::string GetPath() { return m_path; }
    virtual void Flush();
    virtual void SetBufferSize(int size) { m_bufferSize = size; }
    virtual void SetBuffered(bool buffered) { m_buffered = buffered; }
    virtual void SetStringOption(const std::string&) {}
    virtual void SetStringOption2(const std::string&) {}
    virtual void SetPath(const std::string& path) { m_path = path; }
    virtual void SetStringOption3(const std::string&) {}
    virtual void SetStringOption4(const std::string&) {}
    virtual void FreeBuffer();
    virtual bool IsOpen() { return m_file != nullptr; }
    virtual int GetZero() { return 0; }

    // Opens `path` for writing through a temporary beside it (platform::CSafeFile); Close forces it to disk and
    // renames it over `path` only when all went well, so a failed save or a power cut never leaves a
    // half-written file and never loses the old one.
    bool OpenSafeWrite(const std::string& path, int type);
    // Drops a safe-write stream's temporary without touching the target; nothing for another stream.
    // Destroying a safe-write stream that was not closed abandons it too.
    void Abandon();
    bool IsSafeWrite() const { return m_pSafe != nullptr; }
    // The size of the buffer AllocBuffer holds (0 when none).
    int GetHeldBufferSize() const { return m_heldSize; }

    // Bytes between the read position and the end of a regular file; -1 when closed or not known (a pipe).
    long long BytesLeft();
    // Moves the read position back by `count` bytes (what a reader took ahead and did not use).
    bool SeekBack(long long count);

    int GetType() const { return m_type; }
    int GetMode() const { return m_mode; }
    // The fopen mode text for a type and mode ("rb", "w+t", ...).
    static std::string ModeText(int type, int mode);

private:
    std::string m_path;
    int m_type = 0;
    int m_mode = 0;
    int m_bufferSize = 65536;
    bool m_buffered = false;
    char* m_buffer = nullptr;
    int m_heldSize = 0;
    FILE* m_file = nullptr;
    std::unique_ptr<platform::CSafeFile> m_pSafe; // while a safe write is open
    bool m_writeFailed = false;
};
