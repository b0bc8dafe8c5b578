#include "data/FileError.h"
#include "data/FileIO.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {

mode_t ModeOf(const std::string& path)
{
    struct stat st {};
    stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

TEST(FileErrorTest, SystemErrorsReadAsTheGamesTexts)
{
    EXPECT_STREQ(FileError::FromErrno(ENOENT).what(), "File not found");
    EXPECT_STREQ(FileError::FromErrno(ENOTDIR).what(), "Invalid filename");
    EXPECT_STREQ(FileError::FromErrno(EMFILE).what(), "Too many open files");
    EXPECT_STREQ(FileError::FromErrno(EACCES).what(), "File access denied");
    EXPECT_STREQ(FileError::FromErrno(EROFS).what(), "File access denied");
    EXPECT_STREQ(FileError::FromErrno(ENOSPC).what(), "Disk full");
    EXPECT_STREQ(FileError::FromErrno(EFBIG).what(), "Disk full");
    EXPECT_STREQ(FileError(ErrorCode::ReadBeyondEnd).what(), "Read beyond end of file");
    // EIO has the number of "File access denied" but is not that failure.
    EXPECT_STREQ(FileError::FromErrno(EIO).what(), ("I/O error " + std::to_string(EIO)).c_str());
}

TEST(ReplaceFileTest, KeepsPermissionsAndFollowsLinks)
{
    const TempDir dir;
    WriteBytes(dir / "f", "old");
    chmod((dir / "f").c_str(), 0640);
    std::filesystem::create_symlink(dir / "f", dir / "link");
    ReplaceFile(dir / "link", "new");
    EXPECT_EQ(ReadBytes(dir / "f"), "new");
    EXPECT_EQ(ModeOf(dir / "f"), 0640u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
}

TEST(ReplaceFileTest, FailureLeavesTheOldFileAndNoTemporary)
{
    const TempDir dir;
    WriteBytes(dir / "f", "old");
    const int status = RunWithFileSizeLimit(10, [&] {
        try {
            ReplaceFile(dir / "f", std::string(100, 'x'));
        } catch (const FileError& e) {
            return std::string(e.what()) == "Disk full" ? 0 : 1;
        }
        return 2;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadBytes(dir / "f"), "old");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    chmod((dir / "f").c_str(), 0444);
    AsNobody nobody;
    try {
        ReplaceFile(dir / "f", "new");
        ADD_FAILURE() << "replaced a read-only file";
    } catch (const FileError& e) {
        EXPECT_STREQ(e.what(), "File access denied");
    }
    EXPECT_EQ(ReadBytes(dir / "f"), "old");
}

}  // namespace
