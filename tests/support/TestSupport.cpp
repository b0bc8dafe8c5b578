#include "tests/support/TestSupport.h"

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <pwd.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

TempDir::TempDir()
{
    std::string pattern = (fs::temp_directory_path() / "dv2test.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    // Unprivileged children must be able to work in it.
    fs::permissions(pattern, fs::perms::all);
    path_ = pattern + "/";
}

TempDir::~TempDir()
{
    std::error_code ignored;
    fs::permissions(path_, fs::perms::all, ignored);
    for (const auto& entry : fs::recursive_directory_iterator(path_, ignored))
        if (entry.is_directory(ignored))
            fs::permissions(entry.path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string DemoDir()
{
    return DV2_DEMO_DIR;
}

void CopyDemo(const std::string& dir)
{
    fs::copy(DemoDir(), dir, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string ReadBytes(const std::string& path, std::size_t limit)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + path);
    if (limit == std::size_t(-1))
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    std::string bytes(limit, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(limit));
    bytes.resize(static_cast<std::size_t>(in.gcount()));
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path);
}

AsNobody::AsNobody()
{
    if (geteuid() != 0)
        return;
    const passwd* nobody = getpwnam("nobody");
    if (nobody == nullptr || setegid(nobody->pw_gid) != 0 || seteuid(nobody->pw_uid) != 0)
        throw std::runtime_error("cannot act as nobody");
    switched_ = true;
}

AsNobody::~AsNobody()
{
    if (switched_ && (seteuid(0) != 0 || setegid(0) != 0))
        std::abort();
}

namespace {

int RunInChild(const std::function<void()>& setup, const std::function<int()>& fn)
{
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        setup();
        _exit(fn());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace

int RunUnprivileged(const std::function<int()>& fn)
{
    return RunInChild(
        [] {
            if (getuid() != 0)
                return;
            const passwd* nobody = getpwnam("nobody");
            if (nobody == nullptr || setgid(nobody->pw_gid) != 0 || setuid(nobody->pw_uid) != 0)
                _exit(99);
        },
        fn);
}

int RunWithFileSizeLimit(long limit, const std::function<int()>& fn)
{
    return RunInChild(
        [limit] {
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit rl{static_cast<rlim_t>(limit), static_cast<rlim_t>(limit)};
            if (setrlimit(RLIMIT_FSIZE, &rl) != 0)
                _exit(99);
        },
        fn);
}
