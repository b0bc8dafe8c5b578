// Process start to the first window shown: the program against two minimal
// Qt programs, one with an empty window, one with a line of text. A probe
// plugin, loaded by all three through Qt's own environment variables, ends
// each process once its first window has been painted. Many short
// repetitions, which bench.sh interleaves, let the three programs share
// whatever the machine's speed does meanwhile.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

constexpr int ProbeExitCode = 42;  // see ExposeProbe.cpp

bool RunToFirstWindow(const char* program)
{
    std::vector<std::string> env;
    for (char** var = environ; *var != nullptr; ++var) {
        const std::string entry = *var;
        if (!entry.starts_with("QT_QPA_PLATFORM=") && !entry.starts_with("QT_PLUGIN_PATH=")
            && !entry.starts_with("QT_QPA_GENERIC_PLUGINS="))
            env.push_back(entry);
    }
    env.push_back("QT_QPA_PLATFORM=offscreen");
    env.push_back(std::string("QT_PLUGIN_PATH=") + DV2_PROBE_PLUGIN_DIR);
    env.push_back("QT_QPA_GENERIC_PLUGINS=dv2exposeprobe");
    std::vector<char*> envp;
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    char* argv[] = {const_cast<char*>(program), nullptr};
    // Its warnings would only clutter the figures.
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int failed = posix_spawn(&pid, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return false;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == ProbeExitCode;
}

void Start(benchmark::State& state, const char* program)
{
    for (auto _ : state)
        if (!RunToFirstWindow(program)) {
            state.SkipWithError("the program did not end at its first window");
            break;
        }
}

void BM_StartMainMenu(benchmark::State& state)
{
    Start(state, DV2EDIT_PATH);
}
BENCHMARK(BM_StartMainMenu)->UseRealTime()->Iterations(4)->Repetitions(40)->Unit(benchmark::kMillisecond);

void BM_StartEmptyWindow(benchmark::State& state)
{
    Start(state, DV2_EMPTY_WINDOW_PATH);
}
BENCHMARK(BM_StartEmptyWindow)->UseRealTime()->Iterations(4)->Repetitions(40)->Unit(benchmark::kMillisecond);

void BM_StartTextWindow(benchmark::State& state)
{
    Start(state, DV2_TEXT_WINDOW_PATH);
}
BENCHMARK(BM_StartTextWindow)->UseRealTime()->Iterations(4)->Repetitions(40)->Unit(benchmark::kMillisecond);

}  // namespace
