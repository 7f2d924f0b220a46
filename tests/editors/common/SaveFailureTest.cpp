// Tests of the reason a failed save gives: what the target and its folder look like first, then the write's error.
#include "editors/common/model/SaveFailure.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <random>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

class SaveFailureReasonTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::random_device rd;
        folder = fs::temp_directory_path() / ("zr-save-failure-" + std::to_string(rd()));
        fs::create_directories(folder / "Taken.zri");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::permissions(folder, fs::perms::owner_all, ec);
        fs::remove_all(folder, ec);
    }
    fs::path folder;
};

TEST_F(SaveFailureReasonTest, TheTargetAndTheErrorGiveTheReason)
{
    const std::string free = (folder / "New.zri").string();
    struct Case {
        const char* what;
        std::string path;
        int error;
        std::string reason;
    };
    const Case cases[] = {
        {"a folder in the way", (folder / "Taken.zri").string(), 0, "A folder of that name is in the way."},
        {"no such folder", (folder / "Gone" / "New.zri").string(), ENOENT, "The folder does not exist."},
        {"no such folder, whatever the error", (folder / "Gone" / "New.zri").string(), ENOSPC,
         "The folder does not exist."},
        {"a full disk", free, ENOSPC, "The disk is full."},
        {"a full quota", free, EDQUOT, "The disk is full."},
        {"a read-only disk", free, EROFS, "The disk is read-only."},
        {"no permission", free, EACCES, "The file or its folder is read-only."},
        {"a disk error", free, EIO, "Input/output error."},
        {"a file too large", free, EFBIG, "File too large."},
        // Errors a probe of a missing file leaves behind say nothing about the write.
        {"a left-over error", free, ENOENT, ""},
        {"no error", free, 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SaveFailureReason(c.path, c.error), c.reason) << c.what;
}

TEST_F(SaveFailureReasonTest, AReadOnlyFolderIsSaidWithoutAnError)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "root writes into read-only folders";
    fs::create_directories(folder / "Locked");
    fs::permissions(folder / "Locked", fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(SaveFailureReason((folder / "Locked" / "New.zri").string(), 0), "The file or its folder is read-only.");
}

TEST_F(SaveFailureReasonTest, TheReasonGoesOnALineAfterTheText)
{
    const std::string gone = (folder / "Gone" / "New.zri").string();
    EXPECT_EQ(WithSaveFailureReason(" Couldn't save " + gone, gone, ENOENT),
              " Couldn't save " + gone + "\nThe folder does not exist.");
    const std::string free = (folder / "New.zri").string();
    EXPECT_EQ(WithSaveFailureReason(" Couldn't save " + free, free, 0), " Couldn't save " + free);
}

TEST_F(SaveFailureReasonTest, AKnownReasonTakesThePlaceOfTheGuess)
{
    const std::string guess = "Is the file read only?";
    EXPECT_EQ(SaveFailureReasonOr(guess, (folder / "New.zri").string(), ENOSPC), "The disk is full.");
    EXPECT_EQ(SaveFailureReasonOr(guess, (folder / "New.zri").string(), 0), guess);
}

} // namespace
