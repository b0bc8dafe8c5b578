#include "tests/faults/Faults.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <stdexcept>
#include <sys/stat.h>

namespace fs = std::filesystem;

DirContents ContentsOf(const std::string& dir)
{
    DirContents contents;
    for (const auto& entry : fs::recursive_directory_iterator(dir)) {
        // Not fs::relative: that follows links, and a link may loop.
        const std::string path = entry.path().string().substr(dir.size() + (dir.back() == '/' ? 0 : 1));
        const fs::file_status status = entry.symlink_status();
        if (fs::is_directory(status))
            contents[path + "/"] = "";
        else if (fs::is_symlink(status))
            contents[path] = "link to " + fs::read_symlink(entry.path()).string();
        else if (!fs::is_regular_file(status))
            contents[path] = "special file";  // reading a pipe would wait for ever
        else if (fs::file_size(entry.path()) > HugeFile)
            contents[path] = "huge file of " + std::to_string(fs::file_size(entry.path())) + " bytes starting "
                           + ReadBytes(entry.path().string(), 4096);
        else
            contents[path] = ReadBytes(entry.path().string());
    }
    return contents;
}

std::string ChangedPaths(const DirContents& before, const DirContents& after)
{
    std::string changed;
    DirContents all = before;
    all.insert(after.begin(), after.end());
    for (const auto& [path, bytes] : all)
        if (!before.contains(path) || !after.contains(path) || before.at(path) != after.at(path))
            changed += path + " ";
    return changed;
}

void OpenToOthers(const std::string& dir)
{
    fs::permissions(dir, fs::perms::all);
    for (const auto& entry : fs::recursive_directory_iterator(dir))
        fs::permissions(entry.path(), entry.is_directory() ? fs::perms::all : fs::perms(0666));
}

void MakePipe(const std::string& path)
{
    fs::remove_all(path);
    if (mkfifo(path.c_str(), 0666) != 0 || chmod(path.c_str(), 0666) != 0)
        throw std::runtime_error("cannot make the pipe " + path);
}

std::string ErrorText(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        return e.what();
    }
    return "no error";
}

std::string FaultText(long sizeLimit, const std::string& text, const std::function<void()>& fn)
{
    if (sizeLimit == 0) {
        AsNobody nobody;
        return ErrorText(fn);
    }
    // The child's outcome comes back as its exit status.
    const int status = RunWithFileSizeLimit(sizeLimit, [&] {
        const std::string seen = ErrorText(fn);
        return seen == text ? 0 : seen == "no error" ? 1 : 2;
    });
    return status == 0 ? text : status == 1 ? "no error" : "other error";
}

void ExpectStepFails(const StepFault& fault, const std::string& dir)
{
    fault.apply();
    const DirContents before = ContentsOf(dir);
    const std::string text = FaultText(fault.sizeLimit, fault.text, fault.run);
    EXPECT_NE(text.find(fault.text), std::string::npos) << text;
    EXPECT_EQ(ChangedPaths(before, ContentsOf(dir)), "");
}

FileSizeLimit::FileSizeLimit(long limit)
{
    oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    const rlimit lowered{static_cast<rlim_t>(limit), old_.rlim_max};
    if (setrlimit(RLIMIT_FSIZE, &lowered) != 0)
        throw std::runtime_error("cannot lower the file size limit");
}

FileSizeLimit::~FileSizeLimit()
{
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldHandler_);
}
