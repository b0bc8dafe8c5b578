#include "data/FileError.h"

#include <cerrno>

FileError::FileError(int code) : FileError(code, TextOf(code)) {}

FileError::FileError(int code, const std::string& text) : std::runtime_error(text), code_(code) {}

std::string FileError::TextOf(int code)
{
    switch (code) {
    case ErrorCode::FileNotFound: return "File not found";
    case ErrorCode::InvalidFilename: return "Invalid filename";
    case ErrorCode::TooManyOpenFiles: return "Too many open files";
    case ErrorCode::AccessDenied: return "File access denied";
    case ErrorCode::ReadBeyondEnd: return "Read beyond end of file";
    case ErrorCode::DiskFull: return "Disk full";
    default: return "I/O error " + std::to_string(code);
    }
}

FileError FileError::FromErrno(int err)
{
    switch (err) {
    case ENOENT: return FileError(ErrorCode::FileNotFound);
    case ENOTDIR:
    case ENAMETOOLONG:
    case ELOOP: return FileError(ErrorCode::InvalidFilename);
    case EMFILE:
    case ENFILE: return FileError(ErrorCode::TooManyOpenFiles);
    case EACCES:
    case EPERM:
    case EROFS:
    case EISDIR: return FileError(ErrorCode::AccessDenied);
    case ENOSPC:
    case EDQUOT:
    case EFBIG: return FileError(ErrorCode::DiskFull);
    // errno numbers of other failures can equal the numbers above (EIO is 5),
    // so they are named by their own text.
    default: return FileError(err, "I/O error " + std::to_string(err));
    }
}
