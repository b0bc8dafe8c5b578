#pragma once

#include <functional>
#include <map>
#include <string>
#include <sys/resource.h>

// Everything under a directory: each file's bytes and each directory (its
// path with a final '/' and no bytes), by path below dir. Of a file larger
// than HugeFile, only the size and the first bytes count; of a link, a pipe
// or a device, only what it is.
constexpr long long HugeFile = 1 << 24;
using DirContents = std::map<std::string, std::string>;
DirContents ContentsOf(const std::string& dir);
// The paths whose bytes differ between two contents, or are in only one;
// empty when they are the same.
std::string ChangedPaths(const DirContents& before, const DirContents& after);

// Lets "nobody" read and write every file and directory under dir, so that
// a fault test's only obstacle is the fault it sets up.
void OpenToOthers(const std::string& dir);

// Replaces whatever is at path by a pipe that anyone may open.
void MakePipe(const std::string& path);

// The text of the exception fn throws, or "no error".
std::string ErrorText(const std::function<void()>& fn);

// The error text of fn run as "nobody" (AsNobody), or, with sizeLimit > 0,
// whether it is text when run in a child whose writes fail beyond
// sizeLimit bytes ("no error" or "other error" otherwise).
std::string FaultText(long sizeLimit, const std::string& text, const std::function<void()>& fn);

// A fault (apply) and the step that must then fail (run) with an error
// containing text, run as "nobody" or, with sizeLimit > 0, in a child
// whose writes fail beyond that many bytes.
struct StepFault {
    const char* what;
    std::function<void()> apply, run;
    std::string text;
    long sizeLimit = 0;
};
// Expects the step's text and nothing under dir changed.
void ExpectStepFails(const StepFault& fault, const std::string& dir);

// While it lives, this process's writes fail beyond limit bytes of file
// size, as on a full disk (EFBIG). For window tests, whose modal boxes
// cannot run in a forked child.
class FileSizeLimit {
public:
    explicit FileSizeLimit(long limit);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    rlimit old_{};
    void (*oldHandler_)(int) = nullptr;
};
