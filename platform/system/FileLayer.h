// The file calls a safe write makes, with the real backend and a recording one that tests read back.
#pragma once

#include <cerrno>
#include <cstdio>
#include <mutex>
#include <string>
#include <vector>

namespace platform {

class IFileLayer {
public:
    virtual ~IFileLayer() = default;
    // Creates `path`, which must not exist yet, for binary writing; null when it cannot (errno tells why).
    virtual FILE* CreateNew(const std::string& path) = 0;
    // Flushes the stream and forces its bytes onto the disk.
    virtual bool SyncFile(FILE* file) = 0;
    virtual bool CloseFile(FILE* file) = 0;
    // Renames over any file of the new name.
    virtual bool Rename(const std::string& from, const std::string& to) = 0;
    // Swaps two existing names in one step; false when the file system cannot (nothing changed then).
    virtual bool Exchange(const std::string& a, const std::string& b) = 0;
    // Forces a folder's entries (names made, renamed or removed) onto the disk.
    virtual bool SyncFolder(const std::string& folder) = 0;
    // Removes a file, or a folder that is empty.
    virtual bool Remove(const std::string& path) = 0;
    // The names in a folder (no "." or ".."); empty when it cannot be listed.
    virtual std::vector<std::string> ListFolder(const std::string& folder) = 0;
};

// The operating system's calls.
IFileLayer& RealFileLayer();
// The layer the safe writes use: the real one unless a test installed another.
IFileLayer& FileLayer();

// Installs a layer for as long as it lives (the previous one comes back afterwards).
class CFileLayerScope {
public:
    explicit CFileLayerScope(IFileLayer& layer);
    ~CFileLayerScope();
    CFileLayerScope(const CFileLayerScope&) = delete;
    CFileLayerScope& operator=(const CFileLayerScope&) = delete;

private:
    IFileLayer* m_pPrevious;
};

// Passes every call to the real layer and records it as one line: "create <path>", "sync <path>",
// "close <path>", "rename <from> <to>", "exchange <a> <b>", "syncdir <folder>", "remove <path>"
// (listings are not recorded). A call can be made to fail instead of running.
class CRecordingFileLayer : public IFileLayer {
public:
    FILE* CreateNew(const std::string& path) override;
    bool SyncFile(FILE* file) override;
    bool CloseFile(FILE* file) override;
    bool Rename(const std::string& from, const std::string& to) override;
    bool Exchange(const std::string& a, const std::string& b) override;
    bool SyncFolder(const std::string& folder) override;
    bool Remove(const std::string& path) override;
    std::vector<std::string> ListFolder(const std::string& folder) override;

    std::vector<std::string> Calls() const;
    void Clear();
    // Every later call whose line starts with `prefix` fails without running, with errno `error` (an empty
    // prefix: none fails). ENOSPC stands for a full disk.
    void FailCallsStartingWith(const std::string& prefix, int error = EIO);

private:
    bool Record(const std::string& line);
    std::string PathOf(FILE* file) const;

    mutable std::mutex m_mutex;
    std::vector<std::string> m_aCalls;
    std::vector<std::pair<FILE*, std::string>> m_aOpen;
    std::string m_strFail;
    int m_nFailError = EIO;
};

} // namespace platform
