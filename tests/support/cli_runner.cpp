#include "tests/support/cli_runner.h"

#include "tests/support/builders.h"
#include "tests/support/unprivileged.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace varnox::test {

namespace {

std::string Text(const Bytes& b)
{
    return std::string(b.begin(), b.end());
}

// This process's environment less its locale variables, then locale.
std::vector<std::string> Environment(const Locale& locale)
{
    std::vector<std::string> variables;
    for (char** at = environ; *at != nullptr; ++at) {
        const std::string variable(*at);
        const std::string name = variable.substr(0, variable.find('='));
        if (name != "LANGUAGE" && name != "LC_ALL" && name != "LC_MESSAGES" && name != "LANG")
            variables.push_back(variable);
    }
    variables.insert(variables.end(), locale.begin(), locale.end());
    return variables;
}

} // namespace

CliRun RunCli(const std::vector<std::string>& args, const Path& cwd, RunAs user, const Locale& locale)
{
    TempDir capture;
    const std::string outPath = capture / "out", errPath = capture / "err";
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addchdir_np(&actions, cwd.c_str());
    std::vector<std::string> argv = {VARNOX_CLI};
    if (user == RunAs::Unprivileged && ::geteuid() == 0) {
        const std::string id = std::to_string(kUnprivilegedId);
        argv = {"/usr/bin/setpriv", "--reuid=" + id, "--regid=" + id, "--clear-groups", VARNOX_CLI};
    }
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    pointers.reserve(argv.size() + 1);
    for (auto& a : argv)
        pointers.push_back(a.data());
    pointers.push_back(nullptr);
    std::vector<std::string> environment = Environment(locale);
    std::vector<char*> variables;
    variables.reserve(environment.size() + 1);
    for (auto& v : environment)
        variables.push_back(v.data());
    variables.push_back(nullptr);
    pid_t pid = 0;
    CliRun run;
    if (posix_spawn(&pid, argv.front().c_str(), &actions, nullptr, pointers.data(), variables.data()) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    posix_spawn_file_actions_destroy(&actions);
    run.out = Text(ReadBytes(outPath));
    run.err = Text(ReadBytes(errPath));
    return run;
}

} // namespace varnox::test
