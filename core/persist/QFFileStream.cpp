// The buffered file stream of the archive, with write-through-a-temporary for safe saves.
#include "core/persist/QFFileStream.h"

#include "platform/system/Paths.h"

#include <atomic>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::atomic<unsigned> g_tempCounter{0};

// The target of a save: an existing file of the same name in other case, else the name as given in its
// (case-resolved) folder.
std::string ResolveSaveTarget(const std::string& path)
{
    namespace fs = std::filesystem;
    std::string resolved = platform::ResolvePathCase(path);
    std::error_code ec;
    if (!fs::exists(resolved, ec)) {
        fs::path p(resolved);
        if (p.has_parent_path())
            resolved = (fs::path(platform::ResolvePathCase(p.parent_path().string())) / p.filename()).string();
    }
    return resolved;
}

} // namespace

QFFileStream::QFFileStream() = default;

QFFileStream::~QFFileStream()
{
    if (!m_tempPath.empty()) {
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
    if (!m_tempPath.empty()) {
        ok = std::fflush(m_file) == 0 && ::fsync(fileno(m_file)) == 0;
        ok = std::fclose(m_file) == 0 && ok && !m_writeFailed;
        m_file = nullptr;
        if (ok)
            ok = std::rename(m_tempPath.c_str(), m_target.c_str()) == 0;
        if (!ok)
            std::remove(m_tempPath.c_str());
        m_tempPath.clear();
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
    std::string target = ResolveSaveTarget(path);
    // A new name beside the target, so the rename stays on one file system.
    for (int attempt = 0; attempt < 100 && !m_file; ++attempt) {
        std::string temp = target + ".tmp" + std::to_string(::getpid()) + "_" + std::to_string(g_tempCounter++);
        int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return false;
        }
        // The replacement keeps the permissions of the file it replaces.
        struct stat old;
        if (::stat(target.c_str(), &old) == 0 && S_ISREG(old.st_mode))
            ::fchmod(fd, old.st_mode & 07777);
        m_file = ::fdopen(fd, type == kBinary ? "wb" : "w");
        if (!m_file) {
            ::close(fd);
            std::remove(temp.c_str());
            return false;
        }
        m_tempPath = temp;
        m_target = target;
    }
    m_writeFailed = false;
    return m_file != nullptr;
}

void QFFileStream::Abandon()
{
    if (m_tempPath.empty())
        return;
    FreeBuffer();
    if (m_file)
        std::fclose(m_file);
    m_file = nullptr;
    std::remove(m_tempPath.c_str());
    m_tempPath.clear();
}
