#include "jobs/restore.h"

#include <cerrno>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>

namespace varnox::jobs {

namespace {

bool IsRegularAt(int folder, const std::string& name)
{
    struct stat info {};
    return fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode);
}

RestoreResult Refused(const Path& file, int code)
{
    RestoreResult result;
    result.refusal = {PathText(file), SystemText(std::error_code(code, std::generic_category()))};
    return result;
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
    struct stat info {};
    const Path backup = BackupOf(file);
    return lstat(file.c_str(), &info) == 0 && S_ISREG(info.st_mode) && lstat(backup.c_str(), &info) == 0 &&
           S_ISREG(info.st_mode);
}

RestoreResult RestoreBackup(const Path& file)
{
    // Both names are taken relative to the folder held open, so a link swapped in for the
    // folder's path cannot redirect the exchange.
    Folder folder;
    if (!folder.Open(file.parent_path().empty() ? Path(".") : file.parent_path()))
        return Refused(file, folder.error().value());
    const std::string name = file.filename().string();
    const std::string backup = name + ".bak";
    if (!IsRegularAt(folder.fd(), name))
        return Refused(file, ENOENT);
    if (!IsRegularAt(folder.fd(), backup))
        return Refused(BackupOf(file), ENOENT);
    if (renameat2(folder.fd(), name.c_str(), folder.fd(), backup.c_str(), RENAME_EXCHANGE) != 0)
        return Refused(file, errno);
    if (!folder.Sync())
        return Refused(file, folder.error().value());
    RestoreResult result;
    result.ok = true;
    return result;
}

} // namespace varnox::jobs
