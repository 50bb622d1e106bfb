#pragma once
// Helpers the classes of the file layer share; not for use outside it.

#include "fileio/descriptor.h"
#include "fileio/paths.h"

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <sys/stat.h>
#include <system_error>

namespace varnox::detail {

inline constexpr std::size_t kCopyBlock = 1024 * 1024;
inline constexpr std::size_t kCompareBlock = 256 * 1024;

// errno as an error code.
std::error_code LastError();
FileIdentity IdentityFromStat(const struct stat& st);
// The identity of a stat call's result: not present for ENOENT, one no file has for other faults.
FileIdentity IdentityFromCall(int result, const struct stat& st);
// The identity of name in the folder, a link taken as itself.
FileIdentity IdentityAtFd(int folderFd, const std::string& name);
// Errors of link() where the file system has no hard links.
bool NoHardLinks(int error);
// Errors of renameat2() where the file system lacks the flag asked for.
bool NoRenameFlag(int error);
// Renames from over to, leaving no second name of one file behind.
bool RenameOver(int folderFd, const std::string& from, const std::string& to);
// A new name of our temporary files: ".varnox-PID-N.tmp".
std::string NewTemporaryName();
// Makes a new temporary file in the folder (mode 0666 less the umask) under a free name of
// ours, put into name; not open (errno set, name empty) when none can be made.
Descriptor CreateTemporaryFile(int folderFd, std::string& name);
// Removes the temporary files of ours in the folder whose process no longer exists.
void RemoveStaleTemporaryFiles(int folderFd, const Path& path);
// False (with error set) when name is an existing file in the folder that may not be replaced.
bool CanReplaceFile(int folderFd, const std::string& name, std::error_code& error);
// Reads exactly out.size() bytes at offset; false at the end of the file or on an error.
bool ReadFully(int fd, std::int64_t offset, std::span<std::uint8_t> out);

} // namespace varnox::detail
