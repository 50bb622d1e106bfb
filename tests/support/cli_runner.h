#pragma once
// Runs varnox-cli as a program, for the tests that check its exit codes and messages.

#include "fileio/fileio.h"

#include <string>
#include <vector>

namespace varnox::test {

struct CliRun {
    int exitCode = -1; // -1 when the program could not be started or ended by a signal
    std::string out;
    std::string err;
};

enum class RunAs { Self, Unprivileged };

// Runs varnox-cli with args in folder cwd, stdin empty; stdout and stderr are caught whole.
// RunAs::Unprivileged runs it through setpriv as an unprivileged user when this is root.
CliRun RunCli(const std::vector<std::string>& args, const Path& cwd, RunAs user = RunAs::Self);

} // namespace varnox::test
