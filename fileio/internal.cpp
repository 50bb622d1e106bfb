// Helpers the classes of the file layer share: temporary names, file states, renames and
// reads that go on after EINTR.

#include "fileio/internal.h"
#include "fileio/descriptor.h"

#include <algorithm>
#include <atomic>
#include <csignal>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox::detail {

namespace {

constexpr std::string_view kTempPrefix = ".varnox-";
constexpr std::string_view kTempSuffix = ".tmp";
// A temporary file of a process that no longer exists is left this long, since one of a
// live process on another machine sharing the folder looks the same.
constexpr std::time_t kStaleAfterSeconds = 60;

// The process id in a name of our temporary files; 0 for any other name.
pid_t TemporaryFileOwner(std::string_view name)
{
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix))
        return 0;
    name = name.substr(kTempPrefix.size(), name.size() - kTempPrefix.size() - kTempSuffix.size());
    const std::size_t dash = name.find('-');
    const auto digits = [](std::string_view d) {
        return !d.empty() && d.size() <= 9 &&
               std::all_of(d.begin(), d.end(), [](char c) { return c >= '0' && c <= '9'; });
    };
    if (dash == std::string_view::npos || !digits(name.substr(0, dash)) || !digits(name.substr(dash + 1)))
        return 0;
    return static_cast<pid_t>(std::stol(std::string(name.substr(0, dash))));
}

} // namespace

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

FileIdentity IdentityFromStat(const struct stat& st)
{
    FileIdentity identity;
    identity.present = true;
    identity.device = st.st_dev;
    identity.inode = st.st_ino;
    identity.size = st.st_size;
    identity.mtimeSeconds = st.st_mtim.tv_sec;
    identity.mtimeNanoseconds = st.st_mtim.tv_nsec;
    identity.ctimeSeconds = st.st_ctim.tv_sec;
    identity.ctimeNanoseconds = st.st_ctim.tv_nsec;
    return identity;
}

// The identity of a stat call's result: not present for ENOENT, one no file has for other faults.
FileIdentity IdentityFromCall(int result, const struct stat& st)
{
    if (result == 0)
        return IdentityFromStat(st);
    FileIdentity unknown;
    if (errno == ENOENT)
        return unknown;
    unknown.present = true;
    unknown.inode = ~0ULL;
    return unknown;
}

FileIdentity IdentityAtFd(int folderFd, const std::string& name)
{
    struct stat st {};
    const int result = ::fstatat(folderFd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW);
    return IdentityFromCall(result, st);
}

// Errors of link() where the file system has no hard links (FAT, exFAT, some FUSE and
// network file systems), as opposed to a name that is taken or a folder that is not ours.
bool NoHardLinks(int error)
{
    return error == EPERM || error == EOPNOTSUPP || error == ENOSYS || error == EMLINK || error == EXDEV;
}

// Errors of renameat2() where the file system lacks the flag asked for.
bool NoRenameFlag(int error)
{
    return error == EINVAL || error == ENOSYS || error == EOPNOTSUPP;
}

// Renames from over to. Where both are names of one file, rename() does nothing and
// succeeds, so from is then removed: no second name of the file stays behind.
bool RenameOver(int folderFd, const std::string& from, const std::string& to)
{
    if (::renameat(folderFd, from.c_str(), folderFd, to.c_str()) != 0)
        return false;
    struct stat left {};
    if (::fstatat(folderFd, from.c_str(), &left, AT_SYMLINK_NOFOLLOW) == 0)
        ::unlinkat(folderFd, from.c_str(), 0);
    return true;
}

// A new name of our temporary files: ".varnox-PID-N.tmp". Short and independent of the
// target's name, so that a target whose name is as long as the file system allows can
// still be written.
std::string NewTemporaryName()
{
    static std::atomic<unsigned> counter{0};
    return std::string(kTempPrefix) + std::to_string(getpid()) + "-" + std::to_string(counter++) +
           std::string(kTempSuffix);
}

Descriptor CreateTemporaryFile(int folderFd, std::string& name)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        name = NewTemporaryName();
        Descriptor fd(::openat(folderFd, name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.IsOpen() || errno != EEXIST) {
            if (!fd.IsOpen())
                name.clear();
            return fd;
        }
    }
    name.clear();
    return Descriptor();
}

// Removes the temporary files of ours in the folder whose process no longer exists; each
// folder path is looked through once per run.
void RemoveStaleTemporaryFiles(int folderFd, const Path& path)
{
    static std::mutex mutex;
    static std::set<std::string> done;
    {
        const std::lock_guard<std::mutex> lock(mutex);
        if (!done.insert(path.string()).second)
            return;
    }
    Descriptor listFd(::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    DIR* list = listFd.IsOpen() ? ::fdopendir(listFd.Get()) : nullptr;
    if (list == nullptr)
        return;
    listFd.Release(); // the listing owns it now
    const std::time_t now = std::time(nullptr);
    while (const dirent* entry = ::readdir(list)) {
        const pid_t owner = TemporaryFileOwner(entry->d_name);
        if (owner <= 0 || owner == getpid() || ::kill(owner, 0) == 0 || errno != ESRCH)
            continue;
        struct stat file {};
        if (::fstatat(folderFd, entry->d_name, &file, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(file.st_mode) &&
            now - file.st_mtime >= kStaleAfterSeconds)
            ::unlinkat(folderFd, entry->d_name, 0);
    }
    ::closedir(list);
}

// False (with error set) when name is an existing file in the folder that may not be
// replaced: one with no write permission bits, or one this user may not write.
bool CanReplaceFile(int folderFd, const std::string& name, std::error_code& error)
{
    struct stat existing {};
    if (::fstatat(folderFd, name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) != 0) {
        if (errno == ENOENT)
            return true;
        error = LastError();
        return false;
    }
    // A link at the name is replaced itself; what it leads to is not written.
    if (S_ISLNK(existing.st_mode))
        return true;
    // A write-protected file stays as it is, as it would if it were written in place.
    if ((existing.st_mode & 0222) == 0) {
        error = std::make_error_code(std::errc::permission_denied);
        return false;
    }
    if (::faccessat(folderFd, name.c_str(), W_OK, 0) != 0) {
        error = LastError();
        return false;
    }
    return true;
}

// Reads exactly out.size() bytes at offset; false at the end of the file or on an error.
bool ReadFully(int fd, std::int64_t offset, std::span<std::uint8_t> out)
{
    while (!out.empty()) {
        const ssize_t n = ::pread(fd, out.data(), out.size(), static_cast<off_t>(offset));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        out = out.subspan(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

} // namespace varnox::detail
