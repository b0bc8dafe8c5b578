#include "data/FileIO.h"

#include "data/FileError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr std::size_t BlockSize = 65536;
// The most room reserved for a file before it is read.
constexpr std::size_t MaxReserve = 64 * 1024 * 1024;

[[noreturn]] void ThrowErrno()
{
    throw FileError::FromErrno(errno);
}

void CheckedClose(int fd)
{
    if (close(fd) != 0 && errno != EINTR)
        ThrowErrno();
}

// A directory reads as "File access denied", as on the game's platform;
// a pipe or a device would block or never end, so it is not touched.
void CheckRegular(const struct stat& st, const std::string& path)
{
    if (S_ISDIR(st.st_mode))
        throw FileError::FromErrno(EISDIR);
    if (!S_ISREG(st.st_mode))
        throw FileRefused("The file " + path + " is not an ordinary file (it is a pipe, a device or a socket),"
                          " so it was not opened.");
}

// Closes a descriptor on destruction.
struct Descriptor {
    int fd = -1;
    Descriptor() = default;
    explicit Descriptor(int fd) : fd(fd) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd >= 0)
            close(fd);
    }
    void Close()
    {
        const int closing = fd;
        fd = -1;
        CheckedClose(closing);
    }
};

// Removes a file on destruction unless its path was cleared.
struct TemporaryFile {
    std::string path;
    Descriptor file;
    TemporaryFile() = default;
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;
    ~TemporaryFile()
    {
        if (!path.empty())
            unlink(path.c_str());
    }
};

void WriteAt(int fd, const void* buffer, std::size_t size, off_t offset)
{
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = pwrite(fd, in + done, size - done, offset + static_cast<off_t>(done));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ThrowErrno();
        }
        done += static_cast<std::size_t>(n);
    }
}

// Copies bytes [start, end) of from to the same offsets of to, reading only
// the data of a sparse file: its holes stay holes, so that a huge sparse
// file costs what its data costs.
void CopyData(int from, int to, off_t start, off_t end)
{
    std::array<char, BlockSize> buffer;
    off_t pos = start;
    while (pos < end) {
        off_t data = lseek(from, pos, SEEK_DATA);
        off_t hole = data < 0 ? end : lseek(from, data, SEEK_HOLE);
        if (data < 0 && errno == ENXIO)
            break;
        if (data < 0 && errno != EINVAL)  // EINVAL: holes are not known here
            ThrowErrno();
        data = std::max(data, pos);
        hole = hole < 0 ? end : std::min(hole, end);
        for (pos = data; pos < hole;) {
            const ssize_t n = pread(from, buffer.data(), std::min<off_t>(buffer.size(), hole - pos), pos);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                ThrowErrno();
            if (n == 0)
                throw FileError(ErrorCode::ReadBeyondEnd);
            WriteAt(to, buffer.data(), static_cast<std::size_t>(n), pos);
            pos += n;
        }
    }
    if (ftruncate(to, end) != 0)
        ThrowErrno();
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
    const int fd = open(path.c_str(), (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno();
    File file(fd);
    struct stat st {};
    if (fstat(fd, &st) != 0)
        ThrowErrno();
    CheckRegular(st, path);
    return file;
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

std::optional<std::uint64_t> File::SkipHoles() const
{
    const off_t pos = lseek(fd_, 0, SEEK_CUR);
    if (pos < 0)
        ThrowErrno();
    if (const off_t data = lseek(fd_, pos, SEEK_DATA); data >= 0)
        return static_cast<std::uint64_t>(data);
    if (errno == ENXIO)
        return std::nullopt;
    if (errno == EINVAL)  // holes are not known here: everything is data
        return static_cast<std::uint64_t>(pos);
    ThrowErrno();
}

void File::Close()
{
    const int fd = fd_;
    fd_ = -1;
    CheckedClose(fd);
}

std::string ReadFileStart(const std::string& path, std::size_t limit)
{
    File file = File::OpenExisting(path, false);
    std::string bytes;
    // The size is not trusted: it only sets the room of the first read.
    bytes.reserve(std::min(limit, std::min(file.Size(), MaxReserve) + 1));
    for (;;) {
        const std::size_t done = bytes.size();
        const std::size_t room = std::min(limit - done, std::max(bytes.capacity() - done, BlockSize));
        bytes.resize(done + room);
        const std::size_t read = file.ReadUpTo(bytes.data() + done, room);
        bytes.resize(done + read);
        if (read < room || bytes.size() == limit)
            break;
    }
    file.Close();
    return bytes;
}

std::string ReadWholeFile(const std::string& path)
{
    return ReadFileStart(path, std::string().max_size());
}

namespace {

// One file of ReplaceFiles, from its checks to its replacement.
struct Replacement {
    const NewFile* file = nullptr;
    std::string target;  // symbolic links resolved
    bool exists = false;
    struct stat old {};
    bool inPlace = false;
    Descriptor writable;  // the existing file, opened for writing
    TemporaryFile temp;   // the new content, when not written in place
    TemporaryFile kept;   // the old file, while later files are replaced
    bool keptOld = false, renamed = false;
};

void Inspect(Replacement& r)
{
    const std::string& path = r.file->path;
    r.target = path;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) {
        char* resolved = realpath(path.c_str(), nullptr);
        if (resolved == nullptr)
            ThrowErrno();
        r.target = resolved;
        std::free(resolved);
    }
    r.exists = stat(r.target.c_str(), &r.old) == 0;
    if (!r.exists && (errno != ENOENT || r.file->keepTail))
        ThrowErrno();
    if (!r.exists)
        return;
    CheckRegular(r.old, path);
    // The player's own read-only file stays read-only, even though its
    // directory would let us replace it.
    r.writable.fd = open(r.target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (r.writable.fd < 0)
        ThrowErrno();
}

// A new file beside target, named after it; empty when the directory takes none.
bool CreateBeside(TemporaryFile& temp, const std::string& target)
{
    const std::size_t slash = target.rfind('/');
    std::string pattern = target.substr(0, slash + 1) + "." + target.substr(slash + 1) + ".XXXXXX";
    temp.file.fd = mkostemp(pattern.data(), O_CLOEXEC);
    if (temp.file.fd < 0)
        return false;
    temp.path = pattern;
    return true;
}

// A new file may take the old one's place only as the same file to
// everybody else: same owner, group and permissions, and no other names.
bool KeepsOwnerAndLinks(const Replacement& r)
{
    if (r.old.st_nlink > 1)
        return false;
    struct stat st {};
    if (fstat(r.temp.file.fd, &st) != 0)
        ThrowErrno();
    if ((st.st_uid != r.old.st_uid || st.st_gid != r.old.st_gid)
        && fchown(r.temp.file.fd, r.old.st_uid, r.old.st_gid) != 0)
        return false;
    return true;
}

void PrepareTemporary(Replacement& r, bool keepOld)
{
    if (!CreateBeside(r.temp, r.target)) {
        if (!r.exists)
            ThrowErrno();
        r.inPlace = true;
        return;
    }
    if (r.exists && !KeepsOwnerAndLinks(r)) {
        r.inPlace = true;
        return;
    }
    const int fd = r.temp.file.fd;
    if (fchmod(fd, r.exists ? r.old.st_mode & 07777 : DefaultCreationMode()) != 0)
        ThrowErrno();
    const std::string_view bytes = r.file->bytes;
    WriteAt(fd, bytes.data(), bytes.size(), 0);
    if (r.file->keepTail && r.old.st_size > static_cast<off_t>(bytes.size())) {
        Descriptor old(open(r.target.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        if (old.fd < 0)
            ThrowErrno();
        CopyData(old.fd, fd, static_cast<off_t>(bytes.size()), r.old.st_size);
    }
    // The new bytes must be on the disk before they take the old file's name.
    if (fsync(fd) != 0)
        ThrowErrno();
    r.temp.file.Close();
    if (keepOld && r.exists) {
        if (!CreateBeside(r.kept, r.target))
            ThrowErrno();
        r.kept.file.Close();
    }
}

// Writing in place cannot be undone, so it starts only when the room for
// the new bytes is known to be there.
void ReserveRoom(const Replacement& r)
{
    const std::size_t size = r.file->bytes.size();
    rlimit limit {};
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY && size > limit.rlim_cur)
        throw FileError::FromErrno(EFBIG);
    if (size > 0 && fallocate(r.writable.fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(size)) != 0
        && errno != EOPNOTSUPP && errno != ENOSYS)
        ThrowErrno();
}

void WriteInPlace(Replacement& r)
{
    const std::string_view bytes = r.file->bytes;
    const int fd = r.writable.fd;
    WriteAt(fd, bytes.data(), bytes.size(), 0);
    if (!r.file->keepTail && ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)
        ThrowErrno();
    if (fsync(fd) != 0)
        ThrowErrno();
    r.writable.Close();
}

void Rename(const std::string& from, const std::string& to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        ThrowErrno();
}

// Puts back every old file that was moved aside or replaced.
void RollBack(std::vector<Replacement>& replacements)
{
    for (auto r = replacements.rbegin(); r != replacements.rend(); ++r) {
        if (r->keptOld && rename(r->kept.path.c_str(), r->target.c_str()) == 0)
            r->kept.path.clear();
        else if (r->renamed && !r->exists)
            unlink(r->target.c_str());
    }
}

}  // namespace

void ReplaceFile(const std::string& path, std::string_view bytes)
{
    ReplaceFiles({{path, bytes}});
}

void ReplaceFiles(const std::vector<NewFile>& files)
{
    std::vector<Replacement> replacements(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        replacements[k].file = &files[k];
        Inspect(replacements[k]);
    }
    const bool keepOld = files.size() > 1;
    for (Replacement& r : replacements) {
        PrepareTemporary(r, keepOld);
        if (r.inPlace)
            ReserveRoom(r);
    }
    try {
        for (Replacement& r : replacements) {
            if (r.inPlace)
                continue;
            if (keepOld && r.exists) {
                Rename(r.target, r.kept.path);
                r.keptOld = true;
            }
            Rename(r.temp.path, r.target);
            r.temp.path.clear();
            r.renamed = true;
        }
        for (Replacement& r : replacements)
            if (r.inPlace)
                WriteInPlace(r);
    } catch (const FileError&) {
        RollBack(replacements);
        throw;
    }
}

void CopyFile(const std::string& from, const std::string& to)
{
    const Descriptor source(open(from.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (source.fd < 0 || fstat(source.fd, &st) != 0)
        ThrowErrno();
    CheckRegular(st, from);
    TemporaryFile copy;
    copy.file.fd = open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (copy.file.fd < 0)
        ThrowErrno();
    copy.path = to;  // an unfinished copy is removed
    CopyData(source.fd, copy.file.fd, 0, st.st_size);
    if (fsync(copy.file.fd) != 0)
        ThrowErrno();
    copy.file.Close();
    copy.path.clear();
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
