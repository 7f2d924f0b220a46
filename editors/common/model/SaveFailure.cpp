// The reason behind a failed save: the target, its folder and its disk looked at, then the write's error.
#include "editors/common/model/SaveFailure.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/statvfs.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

bool IsReadOnlyDisk(const fs::path& folder)
{
    struct statvfs disk {};
    return ::statvfs(folder.c_str(), &disk) == 0 && (disk.f_flag & ST_RDONLY) != 0;
}

bool IsFullDisk(const fs::path& folder)
{
    struct statvfs disk {};
    return ::statvfs(folder.c_str(), &disk) == 0 && disk.f_blocks > 0 && disk.f_bavail == 0;
}

// The errors whose system words tell a designer something; the others (a missing file, a bad argument) are as
// likely left over from another call as from the write.
bool SaysSomething(int error)
{
    switch (error) {
    case EIO:
    case EFBIG:
    case ENAMETOOLONG:
    case EMFILE:
    case ENFILE:
    case ENOMEM:
    case ELOOP:
    case ETXTBSY:
        return true;
    default:
        return false;
    }
}

} // namespace

std::string SaveFailureReason(const std::string& path, int error)
{
    if (path.empty())
        return std::string();
    std::error_code ec;
    const fs::path target(path);
    if (fs::is_directory(target, ec))
        return "A folder of that name is in the way.";
    const fs::path folder = target.has_parent_path() ? target.parent_path() : fs::path(".");
    if (!fs::is_directory(folder, ec))
        return "The folder does not exist.";
    if (error == EROFS || IsReadOnlyDisk(folder))
        return "The disk is read-only.";
    const bool exists = fs::exists(target, ec);
    if (error == EACCES || error == EPERM || ::access(folder.c_str(), W_OK | X_OK) != 0 ||
        (exists && ::access(target.c_str(), W_OK) != 0))
        return "The file or its folder is read-only.";
    if (error == ENOSPC || error == EDQUOT || IsFullDisk(folder))
        return "The disk is full.";
    if (SaysSomething(error))
        return std::string(std::strerror(error)) + ".";
    return std::string();
}

std::string WithSaveFailureReason(const std::string& text, const std::string& path, int error)
{
    const std::string reason = SaveFailureReason(path, error);
    return reason.empty() ? text : text + "\n" + reason;
}

std::string SaveFailureReasonOr(const std::string& guess, const std::string& path, int error)
{
    const std::string reason = SaveFailureReason(path, error);
    return reason.empty() ? guess : reason;
}
