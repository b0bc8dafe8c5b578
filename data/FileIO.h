#pragma once

#include <cstddef>
#include <cstdint>
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
    // Opens an existing file, never creating it. forWriting opens it for
    // reading and writing, so a read-only file fails with "File access denied".
    static File OpenExisting(const std::string& path, bool forWriting);

    File(File&& other) noexcept;
    File& operator=(File&&) = delete;
    ~File();

    std::size_t Size() const;
    // Reads exactly size bytes; fewer left in the file is "Read beyond end of file".
    void ReadExact(void* buffer, std::size_t size) const;
    // Reads up to size bytes; returns how many there were before the end.
    std::size_t ReadUpTo(void* buffer, std::size_t size) const;
    void Close();

private:
    explicit File(int fd) : fd_(fd) {}
    int fd_;
};

// The whole content of an existing file.
std::string ReadWholeFile(const std::string& path);

// Replaces the file at path (or creates it) with bytes, so that a failure
// at any step leaves the old file whole: the bytes go to a temporary file
// in the same directory, which is then renamed over the target. The old
// file's permissions are kept; a target that exists but may not be written
// fails with "File access denied" and nothing changes. A target that is a
// symbolic link has the file it points to replaced.
void ReplaceFile(const std::string& path, std::string_view bytes);
// Replaces several files as ReplaceFile does, each with its bytes, writing
// every new file before the first one is renamed: a failure while writing
// leaves all of the old files.
void ReplaceFiles(const std::vector<std::pair<std::string, std::string_view>>& files);

// The game's files come from a case-insensitive system: dir + name when
// that exists, otherwise the one entry of dir whose name equals name
// ignoring ASCII case, otherwise dir + name as given. dir is empty (the
// working directory) or ends with '/'.
std::string ResolveCase(const std::string& dir, const std::string& name);
