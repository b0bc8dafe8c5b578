#include "data/FileError.h"
#include "data/FileIO.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {

TEST(FileErrorTest, SystemErrorsReadAsTheGamesTexts)
{
    const struct {
        int err;
        std::string text;
    } cases[] = {
        {ENOENT, "File not found"},      {ENOTDIR, "Invalid filename"},   {EMFILE, "Too many open files"},
        {EACCES, "File access denied"},  {EROFS, "File access denied"},   {ENOSPC, "Disk full"},
        {EFBIG, "Disk full"},            {EDQUOT, "Disk full"},           {ENAMETOOLONG, "Invalid filename"},
        {ELOOP, "Invalid filename"},     {ENFILE, "Too many open files"}, {EPERM, "File access denied"},
        {EISDIR, "File access denied"},
        // EIO has the number of "File access denied" but is not that failure.
        {EIO, "I/O error " + std::to_string(EIO)},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FileError::FromErrno(c.err).what(), c.text) << c.err;
    EXPECT_STREQ(FileError(ErrorCode::ReadBeyondEnd).what(), "Read beyond end of file");
    EXPECT_EQ(FileError::FromErrno(EBUSY).code(), EBUSY);
}

TEST(FileErrorTest, ReplacedFileKeepsItsPermissionsAndLinks)
{
    const TempDir dir;
    WriteBytes(dir / "f", "old");
    chmod((dir / "f").c_str(), 0640);
    std::filesystem::create_symlink(dir / "f", dir / "link");
    ReplaceFile(dir / "link", "new");
    EXPECT_EQ(ReadBytes(dir / "f"), "new");
    struct stat st {};
    stat((dir / "f").c_str(), &st);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_TRUE(std::filesystem::is_symlink(dir / "link"));
}

}  // namespace
