#include "data/FileIO.h"

#include "data/FileError.h"

#include <cerrno>
#include <cstdlib>
#include <deque>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void ThrowErrno()
{
    throw FileError::FromErrno(errno);
}

void CheckedClose(int fd)
{
    if (close(fd) != 0 && errno != EINTR)
        ThrowErrno();
}

// Closes and removes a temporary file unless it was handed over by rename.
struct TemporaryFile {
    std::string path;
    int fd = -1;
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (fd >= 0)
            close(fd);
        if (!path.empty())
            unlink(path.c_str());
    }
};

// New bytes written whole beside the file they are to replace.
struct PreparedFile {
    std::string target;
    TemporaryFile temp;
};

void WriteAllTo(int fd, const void* buffer, std::size_t size)
{
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, in + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        done += static_cast<std::size_t>(n);
    }
}

mode_t DefaultCreationMode()
{
    const mode_t mask = umask(0);
    umask(mask);
    return 0666 & ~mask;
}

}  // namespace

File File::OpenExisting(const std::string& path, bool forWriting)
{
    const int fd = open(path.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno();
    return File(fd);
}

File::File(File&& other) noexcept : fd_(other.fd_)
{
    other.fd_ = -1;
}

File::~File()
{
    if (fd_ >= 0)
        close(fd_);
}

std::size_t File::Size() const
{
    struct stat st {};
    if (fstat(fd_, &st) != 0)
        ThrowErrno();
    if (S_ISDIR(st.st_mode))
        throw FileError::FromErrno(EISDIR);
    return static_cast<std::size_t>(st.st_size);
}

std::size_t File::ReadUpTo(void* buffer, std::size_t size) const
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = read(fd_, out + done, size - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

void File::ReadExact(void* buffer, std::size_t size) const
{
    if (ReadUpTo(buffer, size) != size)
        throw FileError(ErrorCode::ReadBeyondEnd);
}

void File::Close()
{
    const int fd = fd_;
    fd_ = -1;
    CheckedClose(fd);
}

std::string ReadWholeFile(const std::string& path)
{
    File file = File::OpenExisting(path, false);
    std::string bytes(file.Size(), '\0');
    bytes.resize(file.ReadUpTo(bytes.data(), bytes.size()));
    file.Close();
    return bytes;
}

namespace {

void Prepare(PreparedFile& prepared, const std::string& path, std::string_view bytes)
{
    std::string& target = prepared.target;
    target = path;
    mode_t mode = DefaultCreationMode();
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0) {
        if (S_ISLNK(st.st_mode)) {
            char* resolved = realpath(path.c_str(), nullptr);
            if (resolved == nullptr)
                ThrowErrno();
            target = resolved;
            std::free(resolved);
        }
        // The player's own read-only file stays read-only, even though its
        // directory would let us replace it.
        const int probe = open(target.c_str(), O_WRONLY | O_CLOEXEC);
        if (probe < 0)
            ThrowErrno();
        close(probe);
        if (stat(target.c_str(), &st) != 0)
            ThrowErrno();
        mode = st.st_mode & 07777;
    } else if (errno != ENOENT) {
        ThrowErrno();
    }

    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target : target.substr(slash + 1);
    TemporaryFile& temp = prepared.temp;
    std::vector<char> pattern(dir.begin(), dir.end());
    const std::string tail = "." + name + ".XXXXXX";
    pattern.insert(pattern.end(), tail.begin(), tail.end());
    pattern.push_back('\0');
    temp.fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (temp.fd < 0)
        ThrowErrno();
    temp.path = pattern.data();

    if (fchmod(temp.fd, mode) != 0)
        ThrowErrno();
    WriteAllTo(temp.fd, bytes.data(), bytes.size());
    // The new bytes must be on the disk before they take the old file's name.
    if (fsync(temp.fd) != 0)
        ThrowErrno();
    const int fd = temp.fd;
    temp.fd = -1;
    CheckedClose(fd);
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes)
{
    ReplaceFiles({{path, bytes}});
}

void ReplaceFiles(const std::vector<std::pair<std::string, std::string_view>>& files)
{
    std::deque<PreparedFile> prepared;  // a deque never moves what it holds
    for (const auto& [path, bytes] : files)
        Prepare(prepared.emplace_back(), path, bytes);
    for (PreparedFile& file : prepared) {
        if (rename(file.temp.path.c_str(), file.target.c_str()) != 0)
            ThrowErrno();
        file.temp.path.clear();
    }
}

std::string ResolveCase(const std::string& dir, const std::string& name)
{
    const std::string exact = dir + name;
    struct stat st {};
    if (stat(exact.c_str(), &st) == 0)
        return exact;
    DIR* listing = opendir(dir.empty() ? "." : dir.c_str());
    if (listing == nullptr)
        return exact;
    std::string found;
    int matches = 0;
    while (const dirent* entry = readdir(listing)) {
        if (strcasecmp(entry->d_name, name.c_str()) == 0) {
            found = entry->d_name;
            ++matches;
        }
    }
    closedir(listing);
    return matches == 1 ? dir + found : exact;
}
