#include "fileio/folder.h"

#include "fileio/internal.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox {

using namespace detail;

bool SwapNames(const Folder& folder, const std::string& name, const std::string& other,
               std::error_code& error)
{
    const int fd = folder.fd();
    error.clear();
    if (::renameat2(fd, name.c_str(), fd, other.c_str(), RENAME_EXCHANGE) == 0)
        return true;
    if (!NoRenameFlag(errno)) {
        error = LastError();
        return false;
    }
    // Three renames through a name of our own; each step undone when a later one fails.
    const std::string aside = NewTemporaryName();
    if (::renameat(fd, name.c_str(), fd, aside.c_str()) != 0) {
        error = LastError();
        return false;
    }
    if (::renameat(fd, other.c_str(), fd, name.c_str()) != 0) {
        error = LastError();
        ::renameat(fd, aside.c_str(), fd, name.c_str());
        return false;
    }
    if (::renameat(fd, aside.c_str(), fd, other.c_str()) != 0) {
        error = LastError();
        ::renameat(fd, name.c_str(), fd, other.c_str());
        ::renameat(fd, aside.c_str(), fd, name.c_str());
        return false;
    }
    return true;
}

bool Folder::Open(const Path& path)
{
    Close();
    error_.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    // A folder that may be written and entered but not listed is still a place to write.
    if (fd < 0 && errno == EACCES)
        fd = ::open(path.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    return Finish(fd, path);
}

bool Folder::OpenReal(const Path& parent, const std::string& name)
{
    Close();
    error_.clear();
    if (!IsPlainFileName(name)) {
        error_ = std::make_error_code(std::errc::invalid_argument);
        return false;
    }
    const Descriptor above(::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC));
    if (!above.IsOpen() || (::mkdirat(above.Get(), name.c_str(), 0777) != 0 && errno != EEXIST)) {
        error_ = LastError();
        return false;
    }
    int fd = ::openat(above.Get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::openat(above.Get(), name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int openError = errno;
    if (fd < 0 && (openError == ENOTDIR || openError == ELOOP)) {
        error_ = std::make_error_code(std::errc::not_a_directory);
        return false;
    }
    errno = openError;
    return Finish(fd, parent / name);
}

bool Folder::Finish(int fd, const Path& path)
{
    if (fd < 0) {
        error_ = LastError();
        return false;
    }
    fd_.Reset(fd);
    RemoveStaleTemporaryFiles(fd_.Get(), path);
    return true;
}

void Folder::Close()
{
    fd_.Reset();
}

bool Folder::Remove(const std::string& name)
{
    if (!fd_.IsOpen() || ::unlinkat(fd_.Get(), name.c_str(), 0) == 0 || errno == ENOENT)
        return fd_.IsOpen();
    error_ = LastError();
    return false;
}

bool Folder::Sync()
{
    if (!fd_.IsOpen() || ::syncfs(fd_.Get()) == 0)
        return true;
    // A folder held only as a place (not listable) cannot be synced; nothing is known amiss.
    if (errno == EBADF)
        return true;
    error_ = LastError();
    return false;
}

} // namespace varnox
