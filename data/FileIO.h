#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Checked file steps on the game's files. Every failure throws FileError
// with the mapped text; nothing is retried.

// An open file descriptor, closed on destruction. Close() reports a failed
// close, which on some file systems is where a failed write shows up.
class File {
public:
    // Opens an existing regular file, never creating it and never waiting
    // on it. forWriting opens it for reading and writing, so a read-only
    // file fails with "File access denied", as does a directory; any other
    // kind of file (a pipe, a device) is refused (FileRefused naming it).
    static File OpenExisting(const std::string& path, bool forWriting);

    File(File&& other) noexcept;
    File& operator=(File&&) = delete;
    ~File();

    std::size_t Size() const;
    // Reads exactly size bytes; fewer left in the file is "Read beyond end of file".
    void ReadExact(void* buffer, std::size_t size) const;
    // Reads up to size bytes; returns how many there were before the end.
    std::size_t ReadUpTo(void* buffer, std::size_t size) const;
    // Moves the read position past the holes of a sparse file (which read
    // as zero bytes) and returns it; none when nothing but holes is left.
    std::optional<std::uint64_t> SkipHoles() const;
    void Close();

private:
    explicit File(int fd) : fd_(fd) {}
    int fd_;
};

// At most the first limit bytes of an existing regular file: its size is
// not trusted, so a huge file costs no more than limit bytes.
std::string ReadFileStart(const std::string& path, std::size_t limit);
// The whole content of an existing regular file, for files of known size.
std::string ReadWholeFile(const std::string& path);

// New content for ReplaceFiles: bytes from the start of the file, and with
// keepTail, whatever the existing file holds beyond them (it must exist).
struct NewFile {
    std::string path;
    std::string_view bytes;
    bool keepTail = false;
};

// Replaces the file at path (or creates it) with bytes, so that a failure
// at any step leaves the old file whole: the bytes go to a temporary file
// in the same directory, which is then renamed over the target with the
// old file's owner, group and permissions. A target that exists but may not
// be written fails with "File access denied" and nothing changes; one that
// is not a regular file is refused. A target that is a symbolic link has
// the file it points to replaced.
//
// Where the directory takes no new file, or the owner cannot be kept, or
// the file has other hard links, the existing file is written in place
// instead, once the room for the new bytes has been reserved on the disk
// (where the file system allows it) and every other check has passed.
void ReplaceFile(const std::string& path, std::string_view bytes);
// Replaces several files as ReplaceFile does, preparing every new file
// before the first one is replaced, and keeping each old file under a
// temporary name until all are replaced: a failure at any step leaves all
// of the old files.
void ReplaceFiles(const std::vector<NewFile>& files);

// Copies an existing regular file into a new file to, which must not
// exist, holes kept, and flushes the copy to the disk.
void CopyFile(const std::string& from, const std::string& to);

// The game's files come from a case-insensitive system: dir + name when
// that exists, otherwise the one entry of dir whose name equals name
// ignoring ASCII case, otherwise dir + name as given. dir is empty (the
// working directory) or ends with '/'.
std::string ResolveCase(const std::string& dir, const std::string& name);
