#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
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
// in the same directory, which is then renamed over the target with
// everything the old file carries (owner, group, permissions, ACL and other
// extended attributes), and the directory is flushed. A target that exists
// but may not be written, or that has no write permission at all (even for
// root), fails with "File access denied" and nothing changes; one that is
// not a regular file is refused. A target that is a symbolic link has the
// file it points to replaced.
//
// Where the directory takes no new file, or what the old file carries
// cannot be given to a new one, or the file has other hard links, the
// existing file is written in place instead, once the room for the new
// bytes has been reserved on the disk (where the file system allows it)
// and every other check has passed.
void ReplaceFile(const std::string& path, std::string_view bytes);
// Replaces several files as ReplaceFile does, as one transaction.
//
// The invariant, at every instant, even when the process is killed: the
// files are all old or all new, or a complete journal on the disk names
// a kept old version of each, from which RecoverFiles puts all of them
// back. So a kept old file is removed only once its journal is removed
// (the save is complete) or once it is back in place (the save is undone).
//
// How: first every new file is written beside its target and flushed.
// Then each old file is kept as ".NAME.dv2-old" beside it (a second name,
// or a copy where the file is written in place or takes no second name),
// and the journal ".FIRST.dv2-journal", naming them, is written beside the
// first file and flushed with the directories. Only then are the files
// replaced; the directories are flushed, and removing the journal
// completes the save. A failure at any step puts the old files back from
// the journal; where that fails too, the journal and the kept files stay
// for the next load to put back.
//
// Files saved together are always saved, and recovered, together: a
// recovery of only some of them would take another's kept file for a
// leftover. A single file has a journal too, since the flush of its
// directory after the rename may fail, and then the old file goes back.
//
// Saves and recoveries of files in the same directories take turns, in
// this program and any other that runs it, by a lock on each directory: a
// load never takes a save under way for an interrupted one. One that
// waits 10 s in vain is refused (FileRefused).
//
// The one exception: where a directory takes no new file, no journal can
// be written there, and all files are written in place with their old
// bytes held in memory (a file too large to hold is refused): a failure
// puts them back, a kill between the writes cannot.
void ReplaceFiles(const std::vector<NewFile>& files);

// To be called before files saved together are read: completes or rolls
// back a save of them that a journal shows was interrupted, then removes
// what interrupted saves of them left (".NAME.dv2-new", ".NAME.dv2-old",
// an unfinished journal), and nothing else. Returns a sentence for the
// user saying what was done with an interrupted save, empty when there was
// none. Throws when a file cannot be put back (the journal then stays),
// and refuses (FileRefused) a journal that names any file but these.
std::string RecoverFiles(const std::vector<std::string>& paths);

// Flushes a directory's entries, so that the renames and removals in it
// survive a power cut in the order they were made.
void SyncDirectory(const std::string& dir);

// Copies an existing regular file into a new file to, which must not
// exist, holes kept, and flushes the copy to the disk.
void CopyFile(const std::string& from, const std::string& to);

// The game's files come from a case-insensitive system: dir + name when
// that exists, otherwise the one entry of dir whose name equals name
// ignoring ASCII case, otherwise dir + name as given. dir is empty (the
// working directory) or ends with '/'.
std::string ResolveCase(const std::string& dir, const std::string& name);
