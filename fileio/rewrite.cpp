#include "fileio/rewrite.h"

#include "fileio/internal.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <stdio.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace varnox {

using namespace detail;

bool Rewrite::Refuse(Fault fault, std::error_code error)
{
    fault_ = fault;
    error_ = error;
    file_.Discard();
    lock_.Reset();
    return false;
}

Path Rewrite::BackupPath() const
{
    Path backup = target_;
    backup += ".bak";
    return backup;
}

bool Rewrite::Begin(const Path& path, std::chrono::milliseconds wait)
{
    std::error_code error;
    if (!FollowLinks(path, target_, error))
        return Refuse(Fault::Write, error);
    name_ = target_.filename().string();
    if (!folder_.Open(target_.has_parent_path() ? target_.parent_path() : Path(".")))
        return Refuse(Fault::Write, folder_.error());
    if (!Lock(wait))
        return false;
    if (!file_.Open(folder_, name_))
        return Refuse(Fault::Write, file_.error());
    return true;
}

// The lock is an flock on the file itself, the one lock other programs may honour too. It
// goes with the old file when a writer renames its new one into place, so a writer that
// waited checks after taking it that the name still holds the file it locked, else locks
// the new one. A missing file has nothing to lock: the new one is then linked in only while
// its name is still free.
bool Rewrite::Lock(std::chrono::milliseconds wait)
{
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        const int fd = ::openat(folder_.fd(), name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0 && errno == ENOENT) {
            missing_ = true;
            return true;
        }
        if (fd < 0)
            return Refuse(Fault::Open, LastError());
        lock_.Reset(fd);
        struct stat held {};
        if (::fstat(fd, &held) != 0)
            return Refuse(Fault::Open, LastError());
        if (!S_ISREG(held.st_mode))
            return Refuse(Fault::Open,
                          std::make_error_code(S_ISDIR(held.st_mode) ? std::errc::is_a_directory
                                                                     : std::errc::invalid_argument));
        while (::flock(fd, LOCK_EX | LOCK_NB) != 0 && errno != ENOLCK && errno != EOPNOTSUPP) {
            if (errno != EWOULDBLOCK && errno != EINTR)
                return Refuse(Fault::Write, LastError());
            if (std::chrono::steady_clock::now() >= deadline)
                return Refuse(Fault::Busy, {});
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        struct stat named {};
        if (::fstat(fd, &held) == 0 &&
            ::fstatat(folder_.fd(), name_.c_str(), &named, AT_SYMLINK_NOFOLLOW) == 0 &&
            named.st_dev == held.st_dev && named.st_ino == held.st_ino) {
            state_ = IdentityFromStat(named);
            return true;
        }
        lock_.Reset();
        if (std::chrono::steady_clock::now() >= deadline)
            return Refuse(Fault::Busy, {});
    }
}

// True when the name holds the very file found when the lock was taken, with its size and
// times of last change, or is still free. Writers that ignore the lock show here.
bool Rewrite::Unchanged() const
{
    return IdentityAtFd(folder_.fd(), name_) == state_;
}

bool Rewrite::Expect(const FileIdentity& identity)
{
    if (fault_ != Fault::None)
        return false;
    return state_ == identity || Refuse(Fault::Changed, {});
}

// True when the old file is to be dropped instead of kept: NAME.bak exists and was asked to stay.
bool Rewrite::KeepsBackup() const
{
    struct stat backup {};
    return backup_ == Backup::KeepFirst &&
           ::fstatat(folder_.fd(), (name_ + ".bak").c_str(), &backup, AT_SYMLINK_NOFOLLOW) == 0 &&
           S_ISREG(backup.st_mode);
}

// After the new file took the name: the folder on disk, the state of the new file kept for
// a writer that comes back to it, the lock let go.
bool Rewrite::Finish()
{
    if (::fsync(folder_.fd()) != 0 && errno != EBADF && errno != EINVAL)
        return Refuse(Fault::Write, LastError());
    state_ = IdentityAtFd(folder_.fd(), name_);
    missing_ = !state_.present;
    file_.Discard();
    lock_.Reset();
    return true;
}

bool Rewrite::Commit()
{
    if (fault_ != Fault::None)
        return false;
    if (!file_.IsOpen() || file_.error())
        return Refuse(Fault::Write, file_.error());
    if (!missing_)
        return CommitOver();
    if (::fsync(file_.fd_.Get()) != 0)
        return Refuse(Fault::Write, LastError());
    if (!Unchanged())
        return Refuse(Fault::Changed, {});
    if (!file_.PutNew())
        return Refuse(errno == EEXIST ? Fault::Changed : Fault::Write, LastError());
    return Finish();
}

// The new file takes the old one's place in one exchange of names, and the old one leaves
// its temporary name only for NAME.bak: at no time is the backup the same inode as the
// file, and a failed step leaves no second name of it.
bool Rewrite::CommitOver()
{
    if (file_.MatchesTarget()) {
        file_.Discard();
        return true;
    }
    if (KeepsBackup())
        return CommitKeepingBackup();
    const std::string backup = name_ + ".bak";
    std::error_code error;
    struct stat existing {};
    if (::fstatat(folder_.fd(), backup.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0 &&
        S_ISDIR(existing.st_mode))
        return Refuse(Fault::Backup, std::make_error_code(std::errc::is_a_directory));
    if (!CanReplaceFile(folder_.fd(), backup, error))
        return Refuse(Fault::Backup, error);
    if (::fsync(file_.fd_.Get()) != 0 || !file_.NameTemporarily())
        return Refuse(Fault::Write, LastError());
    // Checked last, so that little time is left for another program to change the file.
    if (!Unchanged())
        return Refuse(Fault::Changed, {});
    const int folder = folder_.fd();
    if (::renameat2(folder, file_.temp_.c_str(), folder, name_.c_str(), RENAME_EXCHANGE) == 0) {
        const std::string old = std::exchange(file_.temp_, {});
        if (!RenameOver(folder, old, backup)) {
            const std::error_code why = LastError();
            // Without its backup the old file goes back in place.
            if (::renameat2(folder, old.c_str(), folder, name_.c_str(), RENAME_EXCHANGE) == 0)
                ::unlinkat(folder, old.c_str(), 0);
            return Refuse(Fault::Backup, why);
        }
    } else if (!NoRenameFlag(errno)) {
        return Refuse(Fault::Write, LastError());
    } else if (!CommitByLink(backup)) {
        return false;
    }
    return Finish();
}

// The new file replaces the old one, which goes: NAME.bak holds an older state, the
// original of an edit session, that must not be replaced by an intermediate one.
bool Rewrite::CommitKeepingBackup()
{
    if (::fsync(file_.fd_.Get()) != 0)
        return Refuse(Fault::Write, LastError());
    if (!Unchanged())
        return Refuse(Fault::Changed, {});
    if (!file_.PutInPlace(true))
        return Refuse(Fault::Write, LastError());
    return Finish();
}

// Where names cannot be exchanged: the old file gets a second, temporary name first, which
// becomes NAME.bak once the new file has replaced it; without links, a copy is made first.
bool Rewrite::CommitByLink(const std::string& backup)
{
    const int folder = folder_.fd();
    std::string old;
    for (int attempt = 0; attempt < 100 && old.empty(); ++attempt) {
        old = NewTemporaryName();
        if (::linkat(folder, name_.c_str(), folder, old.c_str(), 0) != 0) {
            old.clear();
            if (errno != EEXIST)
                break;
        }
    }
    if (old.empty() && !CopyBackup(backup))
        return false;
    if (!file_.PutInPlace(true)) {
        const std::error_code why = LastError();
        if (!old.empty())
            ::unlinkat(folder, old.c_str(), 0);
        return Refuse(Fault::Write, why);
    }
    if (!old.empty() && !RenameOver(folder, old, backup)) {
        const std::error_code why = LastError();
        ::renameat(folder, old.c_str(), folder, name_.c_str());
        return Refuse(Fault::Backup, why);
    }
    return true;
}

// Copies the old file as NAME.bak, on disk before the new file replaces the old one.
bool Rewrite::CopyBackup(const std::string& backup)
{
    const Descriptor in(::openat(folder_.fd(), name_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC));
    struct stat st {};
    if (!in.IsOpen() || ::fstat(in.Get(), &st) != 0)
        return Refuse(Fault::Backup, LastError());
    AtomicFile copy;
    bool ok = copy.Open(folder_, backup) && copy.SetPermissions(st.st_mode);
    const auto size = static_cast<std::int64_t>(st.st_size);
    Bytes block(static_cast<std::size_t>(std::min<std::int64_t>(size, kCopyBlock)));
    for (std::int64_t at = 0; ok && at < size; at += static_cast<std::int64_t>(block.size())) {
        const std::span<std::uint8_t> piece(
            block.data(), static_cast<std::size_t>(std::min<std::int64_t>(size - at, kCopyBlock)));
        ok = ReadFully(in.Get(), at, piece) && copy.Write({piece});
    }
    const std::error_code why = copy.error() ? copy.error() : LastError();
    if (ok && copy.Commit(Flush::Always))
        return true;
    return Refuse(Fault::Backup, copy.error() ? copy.error() : why);
}

} // namespace varnox
