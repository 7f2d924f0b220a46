// The real file layer over POSIX calls, the installed-layer switch and the recording layer.
#include "platform/system/FileLayer.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

namespace platform {
namespace {

class CRealFileLayer : public IFileLayer {
public:
    FILE* CreateNew(const std::string& path) override
    {
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0)
            return nullptr;
        FILE* file = ::fdopen(fd, "wb");
        if (!file) {
            const int why = errno;
            ::close(fd);
            ::unlink(path.c_str());
            errno = why;
        }
        return file;
    }
    bool SyncFile(FILE* file) override
    {
        return file && std::fflush(file) == 0 && !std::ferror(file) && ::fsync(::fileno(file)) == 0;
    }
    bool CloseFile(FILE* file) override { return file && std::fclose(file) == 0; }
    bool Rename(const std::string& from, const std::string& to) override
    {
        return std::rename(from.c_str(), to.c_str()) == 0;
    }
    bool Exchange(const std::string& a, const std::string& b) override
    {
        return ::renameat2(AT_FDCWD, a.c_str(), AT_FDCWD, b.c_str(), RENAME_EXCHANGE) == 0;
    }
    bool SyncFolder(const std::string& folder) override
    {
        const int fd = ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0)
            return false;
        // A file system that cannot sync a folder (EINVAL) keeps its entries by other means.
        const bool ok = ::fsync(fd) == 0 || errno == EINVAL;
        ::close(fd);
        return ok;
    }
    bool Remove(const std::string& path) override { return std::remove(path.c_str()) == 0; }
    std::vector<std::string> ListFolder(const std::string& folder) override
    {
        std::vector<std::string> names;
        std::error_code ec;
        for (std::filesystem::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
             it.increment(ec))
            names.push_back(it->path().filename().string());
        return names;
    }
};

std::atomic<IFileLayer*> g_pLayer{nullptr};

} // namespace

IFileLayer& RealFileLayer()
{
    static CRealFileLayer layer;
    return layer;
}

IFileLayer& FileLayer()
{
    IFileLayer* layer = g_pLayer.load();
    return layer ? *layer : RealFileLayer();
}

CFileLayerScope::CFileLayerScope(IFileLayer& layer) : m_pPrevious(g_pLayer.exchange(&layer)) {}

CFileLayerScope::~CFileLayerScope()
{
    g_pLayer.store(m_pPrevious);
}

bool CRecordingFileLayer::Record(const std::string& line)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aCalls.push_back(line);
    if (!m_strFail.empty() && line.compare(0, m_strFail.size(), m_strFail) == 0) {
        errno = m_nFailError;
        return false;
    }
    return true;
}

std::string CRecordingFileLayer::PathOf(FILE* file) const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    for (const auto& [open, path] : m_aOpen)
        if (open == file)
            return path;
    return "?";
}

FILE* CRecordingFileLayer::CreateNew(const std::string& path)
{
    if (!Record("create " + path))
        return nullptr;
    FILE* file = RealFileLayer().CreateNew(path);
    if (file) {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_aOpen.emplace_back(file, path);
    }
    return file;
}

bool CRecordingFileLayer::SyncFile(FILE* file)
{
    return Record("sync " + PathOf(file)) && RealFileLayer().SyncFile(file);
}

bool CRecordingFileLayer::CloseFile(FILE* file)
{
    const std::string path = PathOf(file);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        for (auto it = m_aOpen.begin(); it != m_aOpen.end(); ++it)
            if (it->first == file) {
                m_aOpen.erase(it);
                break;
            }
    }
    // A failed close still closes: the stream is gone either way.
    const bool recorded = Record("close " + path);
    return RealFileLayer().CloseFile(file) && recorded;
}

bool CRecordingFileLayer::Rename(const std::string& from, const std::string& to)
{
    return Record("rename " + from + " " + to) && RealFileLayer().Rename(from, to);
}

bool CRecordingFileLayer::Exchange(const std::string& a, const std::string& b)
{
    return Record("exchange " + a + " " + b) && RealFileLayer().Exchange(a, b);
}

bool CRecordingFileLayer::SyncFolder(const std::string& folder)
{
    return Record("syncdir " + folder) && RealFileLayer().SyncFolder(folder);
}

bool CRecordingFileLayer::Remove(const std::string& path)
{
    return Record("remove " + path) && RealFileLayer().Remove(path);
}

std::vector<std::string> CRecordingFileLayer::ListFolder(const std::string& folder)
{
    return RealFileLayer().ListFolder(folder);
}

std::vector<std::string> CRecordingFileLayer::Calls() const
{
    std::lock_guard<std::mutex> lock(m_mutex);
    return m_aCalls;
}

void CRecordingFileLayer::Clear()
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_aCalls.clear();
}

void CRecordingFileLayer::FailCallsStartingWith(const std::string& prefix, int error)
{
    std::lock_guard<std::mutex> lock(m_mutex);
    m_strFail = prefix;
    m_nFailError = error;
}

} // namespace platform
