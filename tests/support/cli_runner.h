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

// The locale variables varnox-cli runs with; every other one of LANGUAGE, LC_ALL, LC_MESSAGES
// and LANG is removed. The default gives German whatever the shell's locale.
using Locale = std::vector<std::string>;
inline const Locale kGermanLocale = {"LC_ALL=C.UTF-8"};

// Runs varnox-cli with args in folder cwd, stdin empty; stdout and stderr are caught whole.
// RunAs::Unprivileged runs it through setpriv as an unprivileged user when this is root.
CliRun RunCli(const std::vector<std::string>& args, const Path& cwd, RunAs user = RunAs::Self,
              const Locale& locale = kGermanLocale);

} // namespace varnox::test
