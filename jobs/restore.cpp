#include "jobs/restore.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>

namespace varnox::jobs {

namespace {

Error Refused(const Path& file, const std::error_code& error)
{
    return Error{IoError::System, file, error, {}};
}

// Why name in folder cannot take part in a restore: missing, a link, or no regular file.
std::error_code FaultAt(const Folder& folder, const std::string& name)
{
    struct stat info {};
    if (fstatat(folder.fd(), name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0)
        return {errno, std::generic_category()};
    if (S_ISLNK(info.st_mode))
        return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    if (S_ISDIR(info.st_mode))
        return std::make_error_code(std::errc::is_a_directory);
    if (!S_ISREG(info.st_mode))
        return std::make_error_code(std::errc::invalid_argument);
    return {};
}

} // namespace

Path BackupOf(const Path& file)
{
    Path backup = file;
    backup += ".bak";
    return backup;
}

bool HasBackup(const Path& file)
{
    Path target;
    std::error_code error;
    if (!FollowLinks(file, target, error))
        return false;
    struct stat info {};
    const Path backup = BackupOf(target);
    return lstat(target.c_str(), &info) == 0 && S_ISREG(info.st_mode) && lstat(backup.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

Status RestoreBackup(const Path& file)
{
    // Through links to the file itself, as the writers write; both names are then taken
    // relative to the folder held open, so a link swapped in for the folder's path cannot
    // redirect the exchange.
    Path target;
    std::error_code error;
    if (!FollowLinks(file, target, error))
        return Refused(file, error);
    Folder folder;
    if (!folder.Open(target.parent_path().empty() ? Path(".") : target.parent_path()))
        return Refused(target, folder.error());
    const std::string name = target.filename().string();
    const std::string backup = name + ".bak";
    if (const std::error_code fault = FaultAt(folder, name))
        return Refused(target, fault);
    if (const std::error_code fault = FaultAt(folder, backup))
        return Refused(BackupOf(target), fault);
    if (!SwapNames(folder, name, backup, error))
        return Refused(target, error);
    if (!folder.Sync())
        return Refused(target, folder.error());
    return {};
}

} // namespace varnox::jobs
