#pragma once
// Runs test steps as a user bound by file permissions, so that permission tests run, not
// skip, where the tests run as root.

#include "fileio/fileio.h"

#include <functional>

namespace varnox::test {

// The user and group the steps run as when the tests run as root.
inline constexpr unsigned kUnprivilegedId = 65534;

// Runs body in a child process, as kUnprivilegedId when this process is root; returns
// body's result, or -1 when the child could not run it.
int RunUnprivileged(const std::function<int()>& body);

// Opens root and everything under it to all users, so that the unprivileged user reaches
// the files the test made.
void OpenToAll(const Path& root);

} // namespace varnox::test
