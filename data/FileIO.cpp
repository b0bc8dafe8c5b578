#include "data/FileIO.h"

#include "data/FileError.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <list>
#include <memory>
#include <strings.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>

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

int Open(const std::string& path, int flags, mode_t mode = 0)
{
    const int fd = open(path.c_str(), flags, mode);
    if (fd < 0)
        ThrowErrno();
    return fd;
}

struct stat StatOf(int fd)
{
    struct stat st {};
    if (fstat(fd, &st) != 0)
        ThrowErrno();
    return st;
}

// A read or a write, repeated while a signal interrupts it.
template <class Call>
std::size_t Retried(Call call)
{
    for (;;) {
        if (const ssize_t n = call(); n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EINTR)
            ThrowErrno();
    }
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

// The player's read-only file stays read-only, for root too, whom the
// system would let write it.
void CheckWritable(const struct stat& st)
{
    if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        throw FileError::FromErrno(EACCES);
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
    void Close() { CheckedClose(std::exchange(fd, -1)); }
};

// Removes a file on destruction unless its path was cleared.
struct TemporaryFile {
    std::string path;
    Descriptor file;
    ~TemporaryFile()
    {
        if (!path.empty())
            unlink(path.c_str());
    }
};

void WriteAt(int fd, const void* buffer, std::size_t size, off_t offset)
{
    const auto* in = static_cast<const char*>(buffer);
    for (std::size_t done = 0; done < size;)
        done += Retried([&] { return pwrite(fd, in + done, size - done, offset + static_cast<off_t>(done)); });
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
            const auto size = static_cast<std::size_t>(std::min<off_t>(buffer.size(), hole - pos));
            const std::size_t n = Retried([&] { return pread(from, buffer.data(), size, pos); });
            if (n == 0)
                throw FileError(ErrorCode::ReadBeyondEnd);
            WriteAt(to, buffer.data(), n, pos);
            pos += static_cast<off_t>(n);
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
    File file(Open(path, (forWriting ? O_RDWR : O_RDONLY) | O_NONBLOCK | O_CLOEXEC));
    const struct stat st = StatOf(file.fd_);
    CheckRegular(st, path);
    if (forWriting)
        CheckWritable(st);
    return file;
}

File::File(File&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}

File::~File()
{
    if (fd_ >= 0)
        close(fd_);
}

std::size_t File::Size() const
{
    return static_cast<std::size_t>(StatOf(fd_).st_size);
}

std::size_t File::ReadUpTo(void* buffer, std::size_t size) const
{
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < size) {
        const std::size_t n = Retried([&] { return read(fd_, out + done, size - done); });
        if (n == 0)
            break;
        done += n;
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
    CheckedClose(std::exchange(fd_, -1));
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

// The file layer's own files beside a file T, in T's directory: T's new
// content before it takes T's place, the old T kept while a save runs, and
// the journal of a save whose first file is T. These are the only files a
// recovery ever removes.
constexpr const char* NewSuffix = ".dv2-new";
constexpr const char* OldSuffix = ".dv2-old";
constexpr const char* JournalSuffix = ".dv2-journal";

std::string Beside(const std::string& target, const char* suffix)
{
    const std::size_t slash = target.rfind('/');  // none: 0 after the + 1
    return target.substr(0, slash + 1) + "." + target.substr(slash + 1) + suffix;
}

std::string DirectoryOf(const std::string& path)
{
    const std::size_t slash = path.rfind('/');
    return slash == std::string::npos ? "." : path.substr(0, slash + 1);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return lstat(path.c_str(), &st) == 0;
}

void Rename(const std::string& from, const std::string& to)
{
    if (rename(from.c_str(), to.c_str()) != 0)
        ThrowErrno();
}

void Remove(const std::string& path)
{
    if (unlink(path.c_str()) != 0 && errno != ENOENT)
        ThrowErrno();
}

// The directories of targets, each once, in one order for every program.
std::vector<std::string> DirectoriesOf(const std::vector<std::string>& targets)
{
    std::vector<std::string> dirs;
    for (const std::string& target : targets)
        dirs.push_back(DirectoryOf(target));
    std::ranges::sort(dirs);
    dirs.erase(std::unique(dirs.begin(), dirs.end()), dirs.end());
    return dirs;
}

void SyncDirectories(const std::vector<std::string>& targets)
{
    for (const std::string& dir : DirectoriesOf(targets))
        SyncDirectory(dir);
}

// The file a path names, as one absolute path however the path spells it
// (relative, through a linked directory), so that a journal names a file
// as every later load does. A symbolic link stays a link, and its file is
// replaced.
std::string TargetOf(const std::string& path)
{
    struct stat st {};
    const bool link = lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode);
    const std::unique_ptr<char, void (*)(void*)> resolved(
        realpath((link ? path : DirectoryOf(path)).c_str(), nullptr), std::free);
    if (!resolved)
        ThrowErrno();
    if (link)
        return resolved.get();
    const std::string dir = resolved.get();
    return dir + (dir.ends_with('/') ? "" : "/") + path.substr(path.rfind('/') + 1);
}

// The texts in bytes, each ended by a zero byte; what follows the last
// zero byte is no text.
std::vector<std::string> ZeroEndedFields(const std::string& bytes)
{
    std::vector<std::string> fields;
    for (std::size_t pos = 0, end; (end = bytes.find('\0', pos)) != std::string::npos; pos = end + 1)
        fields.push_back(bytes.substr(pos, end - pos));
    return fields;
}

// How a journal keeps a file's old version, and so how it is put back.
enum class Kept : char {
    Link = 'L',  // a second name of the old file: renamed back
    Copy = 'C',  // a copy: written back into the file in place
    None = 'N',  // there was no old file: the new one is removed
};

struct JournalEntry {
    Kept kept;
    ino_t ino;  // the old file's
    std::string target;
};

// "dv2 save journal", then kind, inode and target of each file, then
// "end", each ended by a zero byte: paths may hold any other byte.
constexpr std::string_view JournalHeader = "dv2 save journal";
constexpr std::string_view JournalEnd = "end";

std::string JournalBytes(const std::vector<JournalEntry>& entries)
{
    std::string bytes(JournalHeader);
    bytes += '\0';
    for (const JournalEntry& e : entries) {
        bytes += static_cast<char>(e.kept);
        bytes += '\0' + std::to_string(e.ino) + '\0' + e.target + '\0';
    }
    return bytes + std::string(JournalEnd) + '\0';
}

// The entries of a journal; none when it was not written to its end, and
// so no file had been replaced yet.
std::optional<std::vector<JournalEntry>> ReadJournal(const std::string& path)
{
    const std::vector<std::string> fields = ZeroEndedFields(ReadFileStart(path, 1 << 20));
    if (fields.size() < 2 || fields.front() != JournalHeader || fields.back() != JournalEnd
        || (fields.size() - 2) % 3 != 0)
        return std::nullopt;
    std::vector<JournalEntry> entries;
    for (std::size_t k = 1; k + 1 < fields.size(); k += 3) {
        const Kept kept = Kept(fields[k].empty() ? 0 : fields[k][0]);
        // Not one of ours: what it names is left alone.
        if (fields[k].size() != 1 || (kept != Kept::Link && kept != Kept::Copy && kept != Kept::None))
            throw FileRefused("The file " + path + " is not a journal this program can read, so the files it"
                              " names were left as they are.");
        entries.push_back({kept, static_cast<ino_t>(std::strtoull(fields[k + 1].c_str(), nullptr, 10)),
                           fields[k + 2]});
    }
    return entries;
}

// Whether the file still is the old one, kept by a second name.
bool IsOld(const JournalEntry& e)
{
    struct stat now {};
    return stat(e.target.c_str(), &now) == 0 && now.st_ino == e.ino;
}

// Whether the file now is the new one. Only a file kept by a second name
// can tell: its old inode is still there to compare.
bool Replaced(const JournalEntry& e)
{
    struct stat kept {};
    switch (e.kept) {
    case Kept::None: return Exists(e.target);
    case Kept::Link:
        return stat(Beside(e.target, OldSuffix).c_str(), &kept) == 0 && kept.st_ino == e.ino && Exists(e.target)
            && !IsOld(e);
    default: return false;
    }
}

// Writes a copy's bytes back into the file, whatever it holds now.
void WriteBack(const std::string& copy, const std::string& target)
{
    const Descriptor from(open(copy.c_str(), O_RDONLY | O_CLOEXEC));
    const Descriptor to(open(target.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (from.fd < 0 || to.fd < 0 || fstat(from.fd, &st) != 0)
        ThrowErrno();
    // Emptied first: the copy's holes are not written, and must read as zeros.
    if (ftruncate(to.fd, 0) != 0)
        ThrowErrno();
    CopyData(from.fd, to.fd, 0, st.st_size);
    if (fsync(to.fd) != 0)
        ThrowErrno();
}

// Puts one old file back. Each step may be repeated after a kill: the kept
// file is removed only once it is back.
void PutBack(const JournalEntry& e)
{
    const std::string kept = Beside(e.target, OldSuffix);
    if (e.kept == Kept::None)
        Remove(e.target);
    else if (e.kept == Kept::Link && Exists(kept) && !IsOld(e))
        Rename(kept, e.target);
    else if (e.kept == Kept::Copy && Exists(kept))
        WriteBack(kept, e.target);
    Remove(kept);
}

std::string NamesOf(const std::vector<JournalEntry>& entries)
{
    std::string names;
    for (const JournalEntry& e : entries)
        names += (names.empty() ? "" : " and ") + e.target.substr(e.target.rfind('/') + 1);
    return names;
}

// Completes or rolls back the save a journal names, and says which. A
// journal not written to its end belonged to a save that had changed
// nothing yet. Throws when a file cannot be put back, leaving the journal
// and every kept file for the next try.
std::string RecoverJournal(const std::string& journal, const std::vector<std::string>& targets, bool mayComplete)
{
    const auto entries = ReadJournal(journal);
    // A journal that came with the game directory must not reach any other file.
    for (const JournalEntry& e : entries.value_or(std::vector<JournalEntry>()))
        if (std::find(targets.begin(), targets.end(), e.target) == targets.end())
            throw FileRefused("The file " + journal + " names " + e.target
                              + ", which this program never saves with it, so nothing was changed.");
    std::string note;
    if (entries) {
        const bool completed = mayComplete && std::all_of(entries->begin(), entries->end(), Replaced);
        for (auto e = entries->rbegin(); e != entries->rend() && !completed; ++e)
            PutBack(*e);
        SyncDirectories(targets);
        const bool one = entries->size() == 1;
        note = "The last save of " + NamesOf(*entries) + " was interrupted "
             + (completed ? std::string("after it had replaced ") + (one ? "the file" : "them")
                                + "; it has been completed."
                          : std::string("before it was complete; ")
                                + (one ? "the file is as it was" : "the files are as they were") + " before it.");
    }
    Remove(journal);
    SyncDirectory(DirectoryOf(journal));
    return note;
}

// Holds the directories of targets locked against other programs, so that
// two never save or recover the same files at once: a load that came upon a
// save under way would take its journal for an interrupted save's and undo
// it. Waits a while for a lock; a file system that keeps none goes without.
class DirectoryLocks {
public:
    explicit DirectoryLocks(const std::vector<std::string>& targets)
    {
        // Taken in one order by every program, so that none waits for another in turn.
        for (const std::string& dir : DirectoriesOf(targets)) {
            const int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
            if (fd < 0)
                continue;  // the file steps in it will say why
            const int fdHeld = held_.emplace_back(fd).fd;
            for (int tries = 1; flock(fdHeld, LOCK_EX | LOCK_NB) != 0; ++tries) {
                if (errno != EWOULDBLOCK && errno != EINTR)
                    break;
                if (tries == LockTries)
                    throw FileRefused("Another program is saving the files in " + dir
                                      + ", so nothing was done. Try again once it is done.");
                usleep(LockRetryMicroseconds);
            }
        }
    }

private:
    static constexpr int LockTries = 1000, LockRetryMicroseconds = 10000;  // 10 s
    std::list<Descriptor> held_;
};

// Recovers the saves of targets a journal names, then removes what saves
// of them killed before their journal or after it left.
std::string Recover(const std::vector<std::string>& targets, bool mayComplete)
{
    std::string note;
    for (const std::string& target : targets)
        if (const std::string journal = Beside(target, JournalSuffix); Exists(journal))
            note += RecoverJournal(journal, targets, mayComplete);
    // A leftover that cannot be removed is in nobody's way but the next save's.
    for (const std::string& target : targets)
        for (const char* suffix : {NewSuffix, OldSuffix})
            if (const std::string leftover = Beside(target, suffix); Exists(leftover))
                unlink(leftover.c_str());
    return note;
}

// One file of ReplaceFiles, from its checks to its replacement.
struct Replacement {
    const NewFile* file = nullptr;
    std::string target;  // symbolic links resolved
    bool exists = false;
    struct stat old {};
    bool inPlace = false;
    Descriptor writable;  // the existing file, opened for writing
    TemporaryFile temp;   // the new content, when not written in place
    bool renamed = false, written = false;
    std::string undo;  // without a journal: the old bytes an in-place write covers
};

void Inspect(Replacement& r)
{
    const std::string& path = r.file->path;
    r.exists = stat(r.target.c_str(), &r.old) == 0;
    if (!r.exists && (errno != ENOENT || r.file->keepTail))
        ThrowErrno();
    if (!r.exists)
        return;
    CheckRegular(r.old, path);
    CheckWritable(r.old);
    r.writable.fd = Open(r.target, O_WRONLY | O_NONBLOCK | O_CLOEXEC);
}

// A list of extended attribute names or a value, by a call that tells the
// size it needs when given none; none when the call fails.
template <class Call>
std::optional<std::string> SizedRead(Call call)
{
    for (;;) {
        const ssize_t size = call(nullptr, 0);
        if (size < 0)
            return std::nullopt;
        std::string bytes(static_cast<std::size_t>(size), '\0');
        const ssize_t got = call(bytes.data(), bytes.size());
        if (got >= 0)
            return bytes.substr(0, static_cast<std::size_t>(got));
        if (errno != ERANGE)  // grown meanwhile: ask again
            return std::nullopt;
    }
}

// The names in a list of extended attributes; none where the file system keeps none.
template <class List>
std::optional<std::vector<std::string>> AttributeNames(List list)
{
    const auto names = SizedRead(list);
    if (!names)
        return errno == ENOTSUP ? std::optional(std::vector<std::string>()) : std::nullopt;
    return ZeroEndedFields(*names);
}

// Gives the new file exactly the extended attributes of the old one, its
// ACL (system.posix_acl_access) among them; false when that cannot be done.
// What the new file inherited from its directory goes first.
bool CarryAttributes(const std::string& from, int to)
{
    const auto inherited = AttributeNames([&](char* b, std::size_t n) { return flistxattr(to, b, n); });
    const auto wanted = AttributeNames([&](char* b, std::size_t n) { return listxattr(from.c_str(), b, n); });
    if (!inherited || !wanted)
        return false;
    for (const std::string& name : *inherited)
        if (fremovexattr(to, name.c_str()) != 0)
            return false;
    for (const std::string& name : *wanted) {
        const auto value = SizedRead([&](char* b, std::size_t n) { return getxattr(from.c_str(), name.c_str(), b, n); });
        if (!value || fsetxattr(to, name.c_str(), value->data(), value->size(), 0) != 0)
            return false;
    }
    return true;
}

// A new file may take the old one's place only as the same file to
// everybody else: same owner, group, permissions, ACL and extended
// attributes, and no other names.
bool CarriesOver(const Replacement& r)
{
    if (r.old.st_nlink > 1)
        return false;
    const int fd = r.temp.file.fd;
    const struct stat st = StatOf(fd);
    if ((st.st_uid != r.old.st_uid || st.st_gid != r.old.st_gid)
        && fchown(fd, r.old.st_uid, r.old.st_gid) != 0)
        return false;
    if (fchmod(fd, r.old.st_mode & 07777) != 0)
        ThrowErrno();
    return CarryAttributes(r.target, fd);
}

// Writes the new content beside the target; false when the directory takes
// no new file, and so neither a journal.
bool PrepareTemporary(Replacement& r)
{
    const std::string temp = Beside(r.target, NewSuffix);
    r.temp.file.fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (r.temp.file.fd < 0) {
        if (!r.exists)
            ThrowErrno();
        r.inPlace = true;
        return false;
    }
    r.temp.path = temp;
    if (r.exists && !CarriesOver(r)) {
        r.inPlace = true;
        return true;
    }
    const int fd = r.temp.file.fd;
    if (!r.exists && fchmod(fd, DefaultCreationMode()) != 0)
        ThrowErrno();
    const std::string_view bytes = r.file->bytes;
    WriteAt(fd, bytes.data(), bytes.size(), 0);
    if (r.file->keepTail && r.old.st_size > static_cast<off_t>(bytes.size())) {
        const Descriptor old(Open(r.target, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
        CopyData(old.fd, fd, static_cast<off_t>(bytes.size()), r.old.st_size);
    }
    // The new bytes must be on the disk before they take the old file's name.
    if (fsync(fd) != 0)
        ThrowErrno();
    r.temp.file.Close();
    return true;
}

// Writing in place cannot be undone without a copy, so it starts only when
// the room for the new bytes is known to be there.
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

// Keeps each old file under its kept name, by a second name where it is
// replaced by another file and by a copy where it is written in place,
// then writes the journal that names them: all of it on the disk before
// the first file changes.
void WriteJournal(const std::vector<Replacement>& replacements, const std::string& journal)
{
    std::vector<JournalEntry> entries;
    std::vector<std::string> targets;
    for (const Replacement& r : replacements) {
        const std::string kept = Beside(r.target, OldSuffix);
        Kept how = Kept::None;
        if (r.exists && !r.inPlace && link(r.target.c_str(), kept.c_str()) == 0)
            how = Kept::Link;
        else if (r.exists) {
            CopyFile(r.target, kept);
            how = Kept::Copy;
        }
        entries.push_back({how, r.old.st_ino, r.target});
        targets.push_back(r.target);
    }
    const Descriptor file(Open(journal, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
    const std::string bytes = JournalBytes(entries);
    WriteAt(file.fd, bytes.data(), bytes.size(), 0);
    if (fsync(file.fd) != 0)
        ThrowErrno();
    SyncDirectories(targets);
}

void WriteInPlace(Replacement& r)
{
    const std::string_view bytes = r.file->bytes;
    r.written = true;
    WriteAt(r.writable.fd, bytes.data(), bytes.size(), 0);
}

// Shortens a file written in place to its new content, last of all: only
// then are the old bytes beyond it gone.
void FinishInPlace(Replacement& r)
{
    const int fd = r.writable.fd;
    if (!r.file->keepTail && ftruncate(fd, static_cast<off_t>(r.file->bytes.size())) != 0)
        ThrowErrno();
    if (fsync(fd) != 0)
        ThrowErrno();
    r.writable.Close();
}

// Without a journal: the old bytes that writing in place will change, held
// to be put back. A file too large to be held is not written.
std::string OldBytesCovered(const Replacement& r)
{
    const auto size = static_cast<std::size_t>(r.old.st_size);
    const std::size_t covered = r.file->keepTail ? std::min(r.file->bytes.size(), size) : size;
    if (covered > MaxReserve)
        throw FileRefused("The file " + r.file->path + " would have to be written in place, and is too large"
                          " to keep its old content meanwhile, so it was not saved.");
    return ReadFileStart(r.target, covered);
}

// Without a journal, puts back what was changed from memory: the old bytes
// of files written in place, no new file where there was none.
void UndoUnjournaled(std::vector<Replacement>& replacements)
{
    for (Replacement& r : replacements) {
        if (r.renamed && !r.exists)
            unlink(r.target.c_str());
        if (r.written) {
            const Descriptor file(Open(r.target, O_WRONLY | O_NONBLOCK | O_CLOEXEC));
            WriteAt(file.fd, r.undo.data(), r.undo.size(), 0);
            if (ftruncate(file.fd, r.old.st_size) != 0 || fsync(file.fd) != 0)
                ThrowErrno();
        }
    }
}

}  // namespace

void SyncDirectory(const std::string& dir)
{
    const Descriptor d(Open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fsync(d.fd) != 0 && errno != EINVAL)  // EINVAL: a file system that keeps no order to flush
        ThrowErrno();
}

std::string RecoverFiles(const std::vector<std::string>& paths)
{
    std::vector<std::string> targets;
    for (const std::string& path : paths)
        targets.push_back(TargetOf(path));
    const DirectoryLocks locks(targets);
    return Recover(targets, true);
}

void ReplaceFile(const std::string& path, std::string_view bytes)
{
    ReplaceFiles({{path, bytes}});
}

void ReplaceFiles(const std::vector<NewFile>& files)
{
    std::vector<std::string> targets;
    for (const NewFile& file : files)
        targets.push_back(TargetOf(file.path));
    const DirectoryLocks locks(targets);
    Recover(targets, true);
    std::vector<Replacement> replacements(files.size());
    for (std::size_t k = 0; k < files.size(); ++k) {
        replacements[k].file = &files[k];
        replacements[k].target = targets[k];
        Inspect(replacements[k]);
    }
    bool directoriesTakeFiles = true;
    for (Replacement& r : replacements)
        directoriesTakeFiles = PrepareTemporary(r) && directoriesTakeFiles;
    for (Replacement& r : replacements) {
        // Without a journal, the files are written in place or not at all.
        r.inPlace = r.inPlace || (!directoriesTakeFiles && r.exists);
        if (r.inPlace)
            ReserveRoom(r);
    }
    // Even one file replaced by a rename has a journal: the directory's
    // flush after it may fail, and then it has to be put back too.
    const bool journaled = directoriesTakeFiles;
    const std::string journal = Beside(targets.front(), JournalSuffix);
    try {
        if (journaled)
            WriteJournal(replacements, journal);
        for (Replacement& r : replacements)
            if (r.inPlace && !journaled)
                r.undo = OldBytesCovered(r);
        for (Replacement& r : replacements) {
            if (r.inPlace)
                continue;
            Rename(r.temp.path, r.target);
            r.temp.path.clear();
            r.renamed = true;
        }
        for (Replacement& r : replacements)
            if (r.inPlace)
                WriteInPlace(r);
        for (Replacement& r : replacements)
            if (r.inPlace)
                FinishInPlace(r);
        SyncDirectories(targets);
        if (journaled)
            Remove(journal);
    } catch (const FileError&) {
        try {
            if (journaled)
                Recover(targets, false);
            else
                UndoUnjournaled(replacements);
        } catch (const FileError&) {
            // Whatever could not be put back stays kept, with its journal,
            // for the next load to put back.
        }
        throw;
    }
    if (!journaled)
        return;
    // The save is complete. The kept files go only once the journal's
    // removal is on the disk: a journal that came back without them would
    // take the new files for old ones. What stays is removed by the next load.
    try {
        SyncDirectory(DirectoryOf(journal));
    } catch (const FileError&) {
        return;
    }
    for (const std::string& target : targets)
        unlink(Beside(target, OldSuffix).c_str());
}

void CopyFile(const std::string& from, const std::string& to)
{
    const Descriptor source(Open(from, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    const struct stat st = StatOf(source.fd);
    CheckRegular(st, from);
    TemporaryFile copy;
    copy.file.fd = Open(to, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
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
