#pragma once

#include <functional>
#include <string>

// A fresh directory under /tmp, removed with everything in it afterwards.
// path() ends with '/'.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + name; }

private:
    std::string path_;
};

// The generated demo game directory (ends with '/').
std::string DemoDir();
// Copies the demo game directory (files and SAVE/) into dir.
void CopyDemo(const std::string& dir);

// At most the first limit bytes of a file.
std::string ReadBytes(const std::string& path, std::size_t limit = std::size_t(-1));
void WriteBytes(const std::string& path, const std::string& bytes);

// While it lives, the process acts as "nobody" (effective ids only, so it
// can return to root), so that file permissions apply even when the tests
// run as root. Files it must reach need permissions for others.
class AsNobody {
public:
    AsNobody();
    ~AsNobody();
    AsNobody(const AsNobody&) = delete;
    AsNobody& operator=(const AsNobody&) = delete;

private:
    bool switched_ = false;
};

// Runs fn in a forked child that has given up root (it runs as "nobody"),
// so that file permissions apply even when the tests run as root. Files the
// child must reach need to be readable or writable by others. Returns the
// child's exit status (0 when fn returned normally).
int RunUnprivileged(const std::function<int()>& fn);

// Runs fn in a forked child whose writes fail beyond limit bytes of file
// size, as on a full disk (EFBIG). Returns the child's exit status.
int RunWithFileSizeLimit(long limit, const std::function<int()>& fn);
