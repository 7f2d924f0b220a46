// Safe writes: unique temporaries, sync, rename, folder sync, and the removal of stale temporaries.
#include "platform/system/SafeWrite.h"

#include "platform/system/FileLayer.h"
#include "platform/system/Paths.h"

#include <atomic>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <set>

#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

std::atomic<unsigned> g_nextTemporary{0};

// The temporaries this process is writing or holds for a later install: not stale.
std::mutex g_liveMutex;
std::set<std::string> g_live;

void SetLive(const std::string& path, bool live)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    if (live)
        g_live.insert(path);
    else
        g_live.erase(path);
}

bool IsLive(const std::string& path)
{
    std::lock_guard<std::mutex> lock(g_liveMutex);
    return g_live.count(path) != 0;
}

std::string BaseName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool AllDigits(const std::string& text)
{
    if (text.empty() || text.size() > 10)
        return false;
    for (unsigned char c : text)
        if (!std::isdigit(c))
            return false;
    return true;
}

// The part between "<target>.~" and ".tmp", or "" when the name is no temporary of the target.
std::string TokenOf(const std::string& name, const std::string& targetName)
{
    const std::string head = targetName + ".~";
    const std::string tail = ".tmp";
    if (targetName.empty() || name.size() <= head.size() + tail.size() || name.compare(0, head.size(), head) != 0 ||
        name.compare(name.size() - tail.size(), tail.size(), tail) != 0)
        return {};
    return name.substr(head.size(), name.size() - head.size() - tail.size());
}

bool IsStale(const std::string& path, const std::string& token)
{
    const size_t dash = token.find('-');
    if (dash == std::string::npos)
        return true; // a numbered leftover of the former image saves
    const long pid = std::strtol(token.substr(0, dash).c_str(), nullptr, 10);
    if (pid == ProcessId())
        return !IsLive(path);
    return !IsProcessRunning(pid);
}

std::string WithReason(const std::string& what)
{
    return what + ": " + std::strerror(errno);
}

} // namespace

std::string ReasonOf(const std::string& error)
{
    const size_t colon = error.rfind(": ");
    return colon == std::string::npos ? error : error.substr(colon + 2);
}

long ProcessId()
{
    return static_cast<long>(::getpid());
}

bool IsProcessRunning(long pid)
{
    return pid > 0 && pid <= std::numeric_limits<pid_t>::max() &&
           (::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM);
}

std::string FolderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

bool IsTemporaryOf(const std::string& name, const std::string& targetName)
{
    const std::string token = TokenOf(name, targetName);
    if (token.empty())
        return false;
    const size_t dash = token.find('-');
    if (dash == std::string::npos)
        return AllDigits(token);
    return AllDigits(token.substr(0, dash)) && AllDigits(token.substr(dash + 1));
}

int RemoveStaleTemporaries(const std::string& target)
{
    const std::string folder = FolderOf(target);
    const std::string targetName = BaseName(target);
    IFileLayer& layer = FileLayer();
    int removed = 0;
    for (const std::string& name : layer.ListFolder(folder)) {
        if (!IsTemporaryOf(name, targetName))
            continue;
        // Spelt as the temporaries of this process are: the target's own folder part and the name.
        const size_t slash = target.rfind('/');
        const std::string path = slash == std::string::npos ? name : target.substr(0, slash + 1) + name;
        if (IsStale(path, TokenOf(name, targetName)) && layer.Remove(path))
            ++removed;
    }
    return removed;
}

CSafeFile::CSafeFile(std::string target) : m_strTarget(ResolveWritePath(target)) {}

CSafeFile::~CSafeFile()
{
    Abandon();
}

bool CSafeFile::Fail(const std::string& what)
{
    m_strError = WithReason(what);
    return false;
}

bool CSafeFile::Open()
{
    Abandon();
    m_strError.clear();
    if (m_strTarget.empty())
        return Fail("no file name");
    RemoveStaleTemporaries(m_strTarget);
    IFileLayer& layer = FileLayer();
    const std::string stem = m_strTarget + ".~" + std::to_string(::getpid()) + "-";
    for (int attempt = 0; attempt < 100 && !m_pFile; ++attempt) {
        const std::string candidate = stem + std::to_string(g_nextTemporary++) + ".tmp";
        SetLive(candidate, true);
        m_pFile = layer.CreateNew(candidate);
        if (m_pFile) {
            m_strTemporary = candidate;
            // The replacement keeps the permissions of the file it replaces.
            struct stat old;
            if (::stat(m_strTarget.c_str(), &old) == 0 && S_ISREG(old.st_mode))
                ::fchmod(::fileno(m_pFile), old.st_mode & 07777);
            break;
        }
        const int why = errno;
        SetLive(candidate, false);
        errno = why;
        if (why != EEXIST)
            break;
    }
    return m_pFile ? true : Fail("Cannot create a file beside " + m_strTarget);
}

bool CSafeFile::Write(const void* data, size_t size)
{
    if (!m_pFile || m_bFinished)
        return false;
    if (size > 0 && std::fwrite(data, 1, size, m_pFile) != size)
        return Fail("Cannot write " + m_strTarget);
    return true;
}

bool CSafeFile::Finish()
{
    if (m_bFinished)
        return true;
    if (!m_pFile)
        return false;
    IFileLayer& layer = FileLayer();
    const bool synced = !std::ferror(m_pFile) && layer.SyncFile(m_pFile);
    const int why = errno;
    const bool closed = layer.CloseFile(m_pFile);
    m_pFile = nullptr;
    if (!synced) {
        errno = why;
        return Fail("Cannot write " + m_strTarget);
    }
    if (!closed)
        return Fail("Cannot write " + m_strTarget);
    m_bFinished = true;
    return true;
}

bool CSafeFile::Commit()
{
    if (!Finish()) {
        Abandon();
        return false;
    }
    IFileLayer& layer = FileLayer();
    if (!layer.Rename(m_strTemporary, m_strTarget)) {
        Fail("Cannot replace " + m_strTarget);
        Abandon();
        return false;
    }
    SetLive(m_strTemporary, false);
    m_strTemporary.clear();
    m_bFinished = false;
    // The new name is in place; a folder that does not reach the disk may still lose it in a power cut.
    if (!layer.SyncFolder(FolderOf(m_strTarget)))
        return Fail("Cannot sync the folder of " + m_strTarget);
    return true;
}

void CSafeFile::Abandon()
{
    IFileLayer& layer = FileLayer();
    if (m_pFile) {
        layer.CloseFile(m_pFile);
        m_pFile = nullptr;
    }
    if (!m_strTemporary.empty()) {
        const int why = errno;
        layer.Remove(m_strTemporary);
        SetLive(m_strTemporary, false);
        m_strTemporary.clear();
        errno = why;
    }
    m_bFinished = false;
}

std::string CSafeFile::Release()
{
    if (!Finish()) {
        Abandon();
        return {};
    }
    std::string temporary = m_strTemporary;
    m_strTemporary.clear();
    m_bFinished = false;
    return temporary;
}

bool WriteFileSafely(const std::string& target, const void* data, size_t size, std::string* error)
{
    CSafeFile file(target);
    const bool ok = file.Open() && file.Write(data, size) && file.Commit();
    if (!ok && error)
        *error = file.Error();
    return ok;
}

bool WriteFileSafely(const std::string& target, const std::string& bytes, std::string* error)
{
    return WriteFileSafely(target, bytes.data(), bytes.size(), error);
}

namespace {

// Streams `from` into an open safe file.
bool CopyInto(const std::string& from, CSafeFile& file, std::string* error)
{
    FILE* in = OpenFile(from, "rb");
    if (!in) {
        if (error)
            *error = WithReason("Cannot read " + from);
        return false;
    }
    char block[65536];
    bool ok = true;
    size_t got = 0;
    while (ok && (got = std::fread(block, 1, sizeof block, in)) > 0)
        ok = file.Write(block, got);
    if (ok && std::ferror(in)) {
        ok = false;
        if (error)
            *error = WithReason("Cannot read " + from);
    } else if (!ok && error) {
        *error = file.Error();
    }
    std::fclose(in);
    return ok;
}

// Opens the temporary beside the target and copies `from` into it; false with the reason otherwise.
bool OpenAndCopy(CSafeFile& file, const std::string& from, std::string* error)
{
    if (!file.Open()) {
        if (error)
            *error = file.Error();
        return false;
    }
    return CopyInto(from, file, error);
}

} // namespace

bool CopyFileSafely(const std::string& from, const std::string& to, std::string* error)
{
    CSafeFile file(to);
    if (!OpenAndCopy(file, from, error))
        return false;
    if (!file.Commit()) {
        if (error)
            *error = file.Error();
        return false;
    }
    return true;
}

bool PrepareFileCopy(const std::string& from, const std::string& to, std::string* temporary, std::string* error)
{
    temporary->clear();
    CSafeFile file(to);
    if (!OpenAndCopy(file, from, error))
        return false;
    *temporary = file.Release();
    if (temporary->empty() && error)
        *error = file.Error();
    return !temporary->empty();
}

bool InstallTemporary(const std::string& temporary, const std::string& to, std::string* error)
{
    IFileLayer& layer = FileLayer();
    const std::string target = ResolveWritePath(to);
    const bool renamed = layer.Rename(temporary, target);
    if (!renamed && error)
        *error = WithReason("Cannot replace " + target);
    SetLive(temporary, false);
    if (!renamed)
        return false;
    if (!layer.SyncFolder(FolderOf(target))) {
        if (error)
            *error = WithReason("Cannot sync the folder of " + target);
        return false;
    }
    return true;
}

bool SyncFolder(const std::string& folder)
{
    return FileLayer().SyncFolder(folder);
}

} // namespace platform
