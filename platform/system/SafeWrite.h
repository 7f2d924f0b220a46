// Writing a file so that a crash or a power cut leaves the old file or the new one whole, never a torn or
// empty one: a unique temporary beside the target, the file forced to disk, a rename, the folder forced to disk.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

namespace platform {

// One write of one target. Open removes the stale temporaries of earlier writes of the same target, then
// makes a new one ("<target>.~<process>-<number>.tmp"); the caller writes into File(); Commit puts it in place.
// A write that is not committed removes its temporary and leaves the target as it was.
class CSafeFile {
public:
    explicit CSafeFile(std::string target);
    ~CSafeFile();
    CSafeFile(const CSafeFile&) = delete;
    CSafeFile& operator=(const CSafeFile&) = delete;

    bool Open();
    FILE* File() const { return m_pFile; }
    bool Write(const void* data, size_t size);
    // Flush, force to disk, close: the temporary holds the whole new file, the target is not touched yet.
    bool Finish();
    // Finish when not done yet, rename over the target, force the folder to disk.
    bool Commit();
    // Closes and removes the temporary.
    void Abandon();
    // Gives up the temporary unremoved, already finished (a caller that puts it in place later, InstallTemporary).
    std::string Release();

    const std::string& Target() const { return m_strTarget; }
    const std::string& Temporary() const { return m_strTemporary; }
    // Why the last step failed, naming the file ("" when none failed).
    const std::string& Error() const { return m_strError; }

private:
    bool Fail(const std::string& what);

    std::string m_strTarget;
    std::string m_strTemporary;
    std::string m_strError;
    FILE* m_pFile = nullptr;
    bool m_bFinished = false;
};

// The whole file at once.
bool WriteFileSafely(const std::string& target, const void* data, size_t size, std::string* error = nullptr);
bool WriteFileSafely(const std::string& target, const std::string& bytes, std::string* error = nullptr);
// A copy of `from` (read whole, streamed) put in place as `to`.
bool CopyFileSafely(const std::string& from, const std::string& to, std::string* error = nullptr);

// The copy in two steps, for a file that may take its name only after another one was written: the copy
// lands in a finished temporary beside `to`; InstallTemporary renames it over `to` and forces the folder.
bool PrepareFileCopy(const std::string& from, const std::string& to, std::string* temporary,
                     std::string* error = nullptr);
bool InstallTemporary(const std::string& temporary, const std::string& to, std::string* error = nullptr);

// Forces a folder's entries onto the disk (after a rename or removal made outside these helpers).
bool SyncFolder(const std::string& folder);
// The folder that holds `path` ("." for a bare name).
std::string FolderOf(const std::string& path);

// The system's reason that ends an error of these helpers ("No space left on device"); the whole text when it
// has none.
std::string ReasonOf(const std::string& error);

// This process's id, and whether a process of an id is running (a writer whose leftovers are not stale).
long ProcessId();
bool IsProcessRunning(long pid);

// Removes the temporaries that earlier writes of `target` left beside it: those of processes no longer
// running, of this process when no write of it holds them, and the numbered leftovers of the image
// library's former saves ("<target>.~<n>.tmp"). Returns how many were removed.
int RemoveStaleTemporaries(const std::string& target);
// Whether a file name is one of the temporaries of `targetName` (both without folders).
bool IsTemporaryOf(const std::string& name, const std::string& targetName);

} // namespace platform
