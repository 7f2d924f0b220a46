// The buffered file stream of the archive, with write-through-a-temporary for safe saves.
#include "core/persist/QFFileStream.h"

#include "platform/system/Paths.h"
#include "platform/system/SafeWrite.h"

#include <cstring>
#include <memory>
#include <new>

#include <sys/stat.h>

QFFileStream::QFFileStream() = default;

QFFileStream::~QFFileStream()
{
    if (m_pSafe) {
        // A save that was never closed did not finish: keep the old file.
        Abandon();
        return;
    }
    FreeBuffer();
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
}

std::string QFFileStream::ModeText(int type, int mode)
{
    static const char* const kModes[] = {"r", "w", "r+", "a", "w+", "a+"};
    std::string text;
    if (mode >= 0 && mode <= 5)
        text = kModes[mode];
    if (type == kText)
        text += "t";
    else if (type == kBinary)
        text += "b";
    return text;
}

bool QFFileStream::IsEOF()
{
    return m_file && std::feof(m_file);
}

bool QFFileStream::Close()
{
    if (!m_file)
        return false;
    FreeBuffer();
    bool ok = true;
    if (m_pSafe) {
        // CSafeFile closes the file: commit it only when every write went through.
        m_file = nullptr;
        ok = !m_writeFailed && m_pSafe->Commit();
        if (!ok)
            m_pSafe->Abandon();
        m_pSafe.reset();
        return ok;
    }
    ok = std::fclose(m_file) == 0;
    m_file = nullptr;
    return ok;
}

bool QFFileStream::Open(const std::string& path, int type, int mode)
{
    m_type = type;
    m_mode = mode;
    SetPath(path);
    return DoOpen();
}

bool QFFileStream::DoOpen()
{
    if (m_path.empty() || m_file)
        return false;
    m_file = platform::OpenFile(m_path, ModeText(m_type, m_mode).c_str());
    m_writeFailed = false;
    return m_file != nullptr;
}

bool QFFileStream::Read(void* buffer, int* length)
{
    if (!m_file || !length)
        return false;
    if (*length > 0)
        *length = static_cast<int>(::fread_unlocked(buffer, 1, static_cast<size_t>(*length), m_file));
    return true;
}

long long QFFileStream::BytesLeft()
{
    if (!m_file)
        return -1;
    struct stat info;
    if (::fstat(fileno(m_file), &info) != 0 || !S_ISREG(info.st_mode))
        return -1;
    off_t at = ::ftello(m_file);
    if (at < 0 || at > info.st_size)
        return -1;
    return static_cast<long long>(info.st_size - at);
}

bool QFFileStream::SeekBack(long long count)
{
    return m_file && count >= 0 && ::fseeko(m_file, static_cast<off_t>(-count), SEEK_CUR) == 0;
}

bool QFFileStream::ReadLine(char* buffer, int* size)
{
    if (!m_file || m_type != kText || !size)
        return false;
    if (*size <= 0)
        return true;
    if (!std::fgets(buffer, *size, m_file)) {
        buffer[0] = '\0';
        *size = 0;
        return false;
    }
    size_t length = std::strlen(buffer);
    // Text mode: a line made on Windows ends in CR LF; read it as LF, as the runtime there does.
    if (length >= 2 && buffer[length - 2] == '\r' && buffer[length - 1] == '\n') {
        buffer[length - 2] = '\n';
        buffer[--length] = '\0';
    }
    *size = static_cast<int>(length);
    return true;
}

bool QFFileStream::AllocBuffer()
{
    if (!m_buffered)
        return true;
    int size = m_bufferSize;
    if (size <= 0)
        size = 65536;
    else if (size < 1024)
        size = 1024;
    else if (size > 4000000)
        size = 4000000;
    FreeBuffer();
    m_buffer = new (std::nothrow) char[static_cast<size_t>(size)]();
    m_heldSize = m_buffer ? size : 0;
    return true;
}

bool QFFileStream::Write(const void* data, int length)
{
    if (!m_file)
        return false;
    if (length <= 0)
        return true;
    if (::fwrite_unlocked(data, 1, static_cast<size_t>(length), m_file) != static_cast<size_t>(length)) {
        m_writeFailed = true;
        return false;
    }
    return true;
}

void QFFileStream::Flush()
{
    if (m_file && std::fflush(m_file) != 0)
        m_writeFailed = true;
}

void QFFileStream::FreeBuffer()
{
    delete[] m_buffer;
    m_buffer = nullptr;
    m_heldSize = 0;
}

bool QFFileStream::OpenSafeWrite(const std::string& path, int type)
{
    if (path.empty() || m_file)
        return false;
    m_type = type;
    m_mode = kWrite;
    SetPath(path);
    auto safe = std::make_unique<platform::CSafeFile>(path);
    if (!safe->Open())
        return false;
    m_pSafe = std::move(safe);
    m_file = m_pSafe->File();
    m_writeFailed = false;
    return true;
}

void QFFileStream::Abandon()
{
    if (!m_pSafe)
        return;
    FreeBuffer();
    m_file = nullptr;
    m_pSafe->Abandon();
    m_pSafe.reset();
}
