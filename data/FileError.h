#pragma once

#include <stdexcept>
#include <string>

// Error numbers of the game's platform that the user sees as texts; any other
// number is the operating system's own and reads "I/O error N".
namespace ErrorCode {
constexpr int FileNotFound = 2;
constexpr int InvalidFilename = 3;
constexpr int TooManyOpenFiles = 4;
constexpr int AccessDenied = 5;
constexpr int ReadBeyondEnd = 100;
constexpr int DiskFull = 101;
}  // namespace ErrorCode

// A file step (open, read, write, close, rename) that failed. what() is the
// user's text without a final full stop: "File not found", "Disk full", ...
class FileError : public std::runtime_error {
public:
    explicit FileError(int code);
    int code() const noexcept { return code_; }

    // The error for a failed system call, errno mapped to the numbers above.
    static FileError FromErrno(int err);
    static std::string TextOf(int code);

private:
    FileError(int code, const std::string& text);
    int code_;
};

// A file was read but cannot be taken as it is (a count beyond the table, a
// save game too large or without a unit list), or a command has nothing to
// work on. Nothing was changed. what() is a complete sentence for the user.
class FileRefused : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
