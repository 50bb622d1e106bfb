// The start of varnox-cli (--version) beside the start of a plain C program that does
// nothing, each spawned and waited for as a shell or a file manager runs them.

#include "bench/ratio.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace varnox::bench {

namespace {

// A program of the folder this benchmark runs from.
Path Beside(const std::string& program)
{
    std::error_code error;
    return std::filesystem::read_symlink("/proc/self/exe", error).parent_path() / program;
}

// Runs program with args, its output to /dev/null; false unless it exited with 0.
bool Run(const Path& program, std::vector<std::string> args)
{
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return spawned == 0 && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

void StartOf(benchmark::State& state, const Path& program, const std::vector<std::string>& args)
{
    for (auto _ : state)
        if (!Run(program, args))
            state.SkipWithError(("cannot run " + program.string()).c_str());
}

void CliVersion(benchmark::State& state)
{
    StartOf(state, Beside("varnox-cli"), {"--version"});
}

void PlainStart(benchmark::State& state)
{
    StartOf(state, Beside("varnox-bench-plain-start"), {});
}

BENCHMARK(CliVersion)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(300);
BENCHMARK(PlainStart)->Unit(benchmark::kMicrosecond)->UseRealTime()->Iterations(300);

const bool kGoal = AddGoal("varnox-cli --version over a plain C program", "CliVersion", "PlainStart", 1.5);

} // namespace

} // namespace varnox::bench
