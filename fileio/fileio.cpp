#include "fileio/fileio.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <set>
#include <string_view>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <thread>
#include <unistd.h>
#include <utility>
#include <vector>

// Marks a text for the catalogue, as Qt's macro of this name does; this layer has no Qt.
#ifndef QT_TRANSLATE_NOOP
#define QT_TRANSLATE_NOOP(scope, x) x
#endif

namespace varnox {

namespace {

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
    unknown.present = errno != ENOENT;
    unknown.inode = ~0ULL;
    return errno == ENOENT ? FileIdentity{} : unknown;
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

class FileLayerCategory : public std::error_category {
  public:
    const char* name() const noexcept override { return "varnox.fileio"; }
    std::string message(int value) const override
    {
        return value == static_cast<int>(FileLayerError::Changed) ? "changed by someone else" : "unknown";
    }
};

constexpr std::string_view kTempPrefix = ".varnox-";
constexpr std::string_view kTempSuffix = ".tmp";
// A temporary file of a process that no longer exists is left this long, since one of a
// live process on another machine sharing the folder looks the same.
constexpr std::time_t kStaleAfterSeconds = 60;
constexpr std::size_t kCopyBlock = 1024 * 1024;
constexpr std::size_t kCompareBlock = 256 * 1024;

// A new name of our temporary files: ".varnox-PID-N.tmp". Short and independent of the
// target's name, so that a target whose name is as long as the file system allows can
// still be written.
std::string NewTemporaryName()
{
    static std::atomic<unsigned> counter{0};
    return std::string(kTempPrefix) + std::to_string(getpid()) + "-" + std::to_string(counter++) +
           std::string(kTempSuffix);
}

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
    const int listFd = ::openat(folderFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (listFd < 0)
        return;
    DIR* list = ::fdopendir(listFd);
    if (list == nullptr) {
        ::close(listFd);
        return;
    }
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

} // namespace

std::error_code make_error_code(FileLayerError error)
{
    static const FileLayerCategory category;
    return {static_cast<int>(error), category};
}

FileIdentity IdentityOf(const Path& path)
{
    struct stat st {};
    const int result = ::stat(path.c_str(), &st);
    return IdentityFromCall(result, st);
}

FileIdentity IdentityAt(const Folder& folder, const std::string& name)
{
    return IdentityAtFd(folder.fd(), name);
}

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

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

bool InputFile::Open(const Path& path)
{
    Close();
    error_.clear();
    // Opened without blocking, so that a FIFO or device named like an archive is refused
    // instead of waiting for a writer.
    return Adopt(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
}

bool InputFile::OpenIn(const Folder& folder, const std::string& name)
{
    Close();
    error_.clear();
    return Adopt(::openat(folder.fd(), name.c_str(), O_RDONLY | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
}

// Takes fd (opened without blocking) when it is a regular file.
bool InputFile::Adopt(int fd)
{
    if (fd < 0) {
        error_ = LastError();
        return false;
    }
    struct stat st {};
    if (fstat(fd, &st) != 0) {
        error_ = LastError();
        ::close(fd);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                          : std::errc::invalid_argument);
        ::close(fd);
        return false;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd, "rb");
    if (f == nullptr) {
        error_ = LastError();
        ::close(fd);
        return false;
    }
    file_ = f;
    size_ = static_cast<std::int64_t>(st.st_size);
    mode_ = static_cast<unsigned>(st.st_mode & 07777);
    return true;
}

void InputFile::Close()
{
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
}

std::size_t InputFile::ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> out)
{
    if (file_ == nullptr || offset < 0 || offset > size_)
        return 0;
    if (fseeko(file_, static_cast<off_t>(offset), SEEK_SET) != 0) {
        error_ = LastError();
        return 0;
    }
    const std::size_t got = std::fread(out.data(), 1, out.size(), file_);
    if (got < out.size() && std::ferror(file_)) {
        error_ = LastError();
        std::clearerr(file_);
    }
    return got;
}

bool InputFile::ReadAt(std::int64_t offset, std::span<std::uint8_t> out)
{
    if (offset < 0 || offset > size_ || static_cast<std::int64_t>(out.size()) > size_ - offset)
        return false;
    return ReadSomeAt(offset, out) == out.size();
}

bool ReadWholeFile(const Path& path, Bytes& out, std::error_code& error)
{
    InputFile file;
    if (!file.Open(path)) {
        error = file.error();
        return false;
    }
    Bytes data(static_cast<std::size_t>(file.Size()));
    if (!file.ReadAt(0, data)) {
        error = file.error() ? file.error() : std::make_error_code(std::errc::io_error);
        return false;
    }
    out = std::move(data);
    error.clear();
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
    const int above = ::open(parent.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (above < 0 || (::mkdirat(above, name.c_str(), 0777) != 0 && errno != EEXIST)) {
        error_ = LastError();
        if (above >= 0)
            ::close(above);
        return false;
    }
    int fd = ::openat(above, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 && errno == EACCES)
        fd = ::openat(above, name.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int openError = errno;
    ::close(above);
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
    fd_ = fd;
    RemoveStaleTemporaryFiles(fd_, path);
    return true;
}

void Folder::Close()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
}

bool Folder::Remove(const std::string& name)
{
    if (fd_ < 0 || ::unlinkat(fd_, name.c_str(), 0) == 0 || errno == ENOENT)
        return fd_ >= 0;
    error_ = LastError();
    return false;
}

bool Folder::Sync()
{
    if (fd_ < 0 || ::syncfs(fd_) == 0)
        return true;
    // A folder held only as a place (not listable) cannot be synced; nothing is known amiss.
    if (errno == EBADF)
        return true;
    error_ = LastError();
    return false;
}

AtomicFile::~AtomicFile()
{
    Discard();
}

bool AtomicFile::Open(const Path& target)
{
    Discard();
    error_.clear();
    if (!ownFolder_.Open(target.has_parent_path() ? target.parent_path() : Path("."))) {
        error_ = ownFolder_.error();
        return false;
    }
    return OpenIn(ownFolder_.fd(), target.filename().string());
}

bool AtomicFile::Open(const Folder& folder, const std::string& name)
{
    Discard();
    error_.clear();
    return OpenIn(folder.fd(), name);
}

bool AtomicFile::OpenIn(int folderFd, const std::string& name)
{
    folderFd_ = folderFd;
    name_ = name;
    temp_.clear();
    match_ = Match::Unknown;
    if (!CanReplaceFile(folderFd_, name_, error_))
        return false;
    anonymous_ = temporary_ == TemporaryFile::Anonymous;
    if (anonymous_) {
        fd_ = ::openat(folderFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666);
        // Without anonymous files on this file system, a named one does.
        if (fd_ < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return Fail();
        anonymous_ = fd_ >= 0;
    }
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        temp_ = NewTemporaryName();
        fd_ = ::openat(folderFd_, temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        temp_.clear();
        return Fail();
    }
    // Keep the permissions of a regular file that is being replaced, but not what a link
    // leads to, and never setuid, setgid or sticky: those a new file must not inherit.
    struct stat existing {};
    expected_ =
        IdentityFromCall(::fstatat(folderFd_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW), existing);
    if (expected_.present && S_ISREG(existing.st_mode))
        ::fchmod(fd_, existing.st_mode & 0777);
    return true;
}

bool AtomicFile::Fail()
{
    error_ = LastError();
    Discard();
    return false;
}

bool AtomicFile::Write(std::initializer_list<std::span<const std::uint8_t>> pieces)
{
    if (fd_ < 0 || error_)
        return false;
    match_ = Match::Unknown;
    // All pieces in one gathered write; a short write goes on from where it stopped.
    std::vector<iovec> chunks;
    for (const auto& piece : pieces)
        if (!piece.empty())
            chunks.push_back({const_cast<std::uint8_t*>(piece.data()), piece.size()});
    std::size_t first = 0;
    while (first < chunks.size()) {
        const int count = static_cast<int>(std::min<std::size_t>(chunks.size() - first, IOV_MAX));
        const ssize_t n = ::writev(fd_, &chunks[first], count);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = LastError();
            return false;
        }
        auto done = static_cast<std::size_t>(n);
        while (first < chunks.size() && done >= chunks[first].iov_len)
            done -= chunks[first++].iov_len;
        if (first < chunks.size()) {
            chunks[first].iov_base = static_cast<std::uint8_t*>(chunks[first].iov_base) + done;
            chunks[first].iov_len -= done;
        }
    }
    return true;
}

bool AtomicFile::WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes)
{
    if (fd_ < 0 || error_)
        return false;
    match_ = Match::Unknown;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd_, bytes.data(), bytes.size(), static_cast<off_t>(offset));
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error_ = LastError();
            return false;
        }
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        offset += n;
    }
    return true;
}

bool AtomicFile::SetPermissions(unsigned mode)
{
    if (fd_ < 0 || error_)
        return false;
    if (::fchmod(fd_, static_cast<mode_t>(mode & 0777)) != 0) {
        error_ = LastError();
        return false;
    }
    return true;
}

bool AtomicFile::MatchesTarget()
{
    if (fd_ < 0 || error_)
        return false;
    if (match_ != Match::Unknown)
        return match_ == Match::Same;
    match_ = Match::Differs;
    const int target = ::openat(folderFd_, name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (target < 0)
        return false;
    struct stat ours {};
    struct stat theirs {};
    if (::fstat(fd_, &ours) == 0 && ::fstat(target, &theirs) == 0 && S_ISREG(theirs.st_mode) &&
        ours.st_size == theirs.st_size) {
        // Compared a block at a time, so that no file is held whole.
        const auto size = static_cast<std::int64_t>(ours.st_size);
        Bytes a(static_cast<std::size_t>(std::min<std::int64_t>(size, kCompareBlock)));
        Bytes b(a.size());
        std::int64_t at = 0;
        while (at < size) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kCompareBlock));
            const std::span<std::uint8_t> x(a.data(), n), y(b.data(), n);
            if (!ReadFully(fd_, at, x) || !ReadFully(target, at, y) ||
                !std::equal(x.begin(), x.end(), y.begin()))
                break;
            at += static_cast<std::int64_t>(n);
        }
        if (at == size)
            match_ = Match::Same;
    }
    ::close(target);
    return match_ == Match::Same;
}

bool AtomicFile::Commit(Flush flush)
{
    if (fd_ < 0 || error_)
        return false;
    struct stat existing {};
    const bool replacing = ::fstatat(folderFd_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0;
    if (replacing && MatchesTarget()) {
        Discard();
        return true;
    }
    const bool flushNow = flush == Flush::Always || (flush == Flush::WhenReplacing && replacing);
    if (flushNow && ::fsync(fd_) != 0)
        return Fail();
    // Checked last, so that little time is left for another program to change the target.
    if (!TargetAsExpected())
        return false;
    if (!PutInPlace(replacing))
        return Fail();
    // The rename itself is on disk only once the folder is; a folder held only as a place
    // cannot be flushed (EBADF), and some file systems do not flush folders (EINVAL).
    if (flushNow && ::fsync(folderFd_) != 0 && errno != EBADF && errno != EINVAL)
        return Fail();
    Discard();
    return true;
}

// False (error Changed) when the target is no longer the file found at Open or given to
// ExpectTarget: the new file then stays out, and the caller keeps it elsewhere if it must.
bool AtomicFile::TargetAsExpected()
{
    if (IdentityAtFd(folderFd_, name_) == expected_)
        return true;
    Discard();
    error_ = FileLayerError::Changed;
    return false;
}

// Links the anonymous file into the folder as name; false (errno set) when it cannot.
bool AtomicFile::LinkAs(const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    if (::linkat(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    // Without /proc, the system's own way (which may need privileges).
    if (errno == ENOENT && ::linkat(fd_, "", folderFd_, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    return false;
}

// Copies the anonymous file into a new named temporary file, which takes its place.
bool AtomicFile::SpillToNamed()
{
    int named = -1;
    for (int attempt = 0; attempt < 100 && named < 0; ++attempt) {
        temp_ = NewTemporaryName();
        named = ::openat(folderFd_, temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (named < 0 && errno != EEXIST)
            break;
    }
    if (named < 0) {
        temp_.clear();
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(fd_, &st) == 0 && ::fchmod(named, st.st_mode & 0777) == 0;
    Bytes block(kCopyBlock);
    for (std::int64_t at = 0; ok && at < st.st_size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(st.st_size - at, kCopyBlock));
        const std::span<std::uint8_t> piece(block.data(), n);
        ok = ReadFully(fd_, at, piece) &&
             ::pwrite(named, piece.data(), n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
        at += static_cast<std::int64_t>(n);
    }
    if (!ok) {
        const int why = errno;
        ::close(named);
        ::unlinkat(folderFd_, std::exchange(temp_, {}).c_str(), 0);
        errno = why;
        return false;
    }
    ::close(std::exchange(fd_, named));
    anonymous_ = false;
    return true;
}

// Gives the file the target's name; false (errno set) when it cannot.
bool AtomicFile::PutInPlace(bool replacing)
{
    if (anonymous_) {
        // A new file is linked under its name at once; one that replaces another, or one
        // whose name was taken meanwhile, under a temporary name that is then renamed.
        if (!replacing && LinkAs(name_))
            return true;
        if (!replacing && errno != EEXIST && !NoHardLinks(errno))
            return false;
        if (!NameTemporarily())
            return false;
    }
    // A named file is closed first, so that a write the system deferred fails here.
    if (!anonymous_ && ::close(std::exchange(fd_, -1)) != 0)
        return false;
    if (::renameat(folderFd_, temp_.c_str(), folderFd_, name_.c_str()) != 0)
        return false;
    temp_.clear();
    return true;
}

// Gives an anonymous file a temporary name; false (errno set) when it cannot. Where the
// file system links no files, its bytes move to a new named file instead.
bool AtomicFile::NameTemporarily()
{
    for (int attempt = 0; attempt < 100 && temp_.empty(); ++attempt) {
        temp_ = NewTemporaryName();
        if (!LinkAs(temp_)) {
            temp_.clear();
            if (NoHardLinks(errno))
                return SpillToNamed();
            if (errno != EEXIST)
                return false;
        }
    }
    return !temp_.empty();
}

// Gives the file the target's name only while that name is free; false (errno EEXIST when
// someone took it meanwhile) otherwise.
bool AtomicFile::PutNew()
{
    if (anonymous_) {
        if (LinkAs(name_))
            return true;
        if (!NoHardLinks(errno) || !SpillToNamed())
            return false;
    }
    if (::linkat(folderFd_, temp_.c_str(), folderFd_, name_.c_str(), 0) == 0) {
        ::unlinkat(folderFd_, std::exchange(temp_, {}).c_str(), 0);
        return true;
    }
    if (!NoHardLinks(errno))
        return false;
    // Without links, a rename that refuses a taken name; without that, a rename once the
    // name was seen free.
    if (::renameat2(folderFd_, temp_.c_str(), folderFd_, name_.c_str(), RENAME_NOREPLACE) != 0) {
        if (!NoRenameFlag(errno))
            return false;
        struct stat taken {};
        if (::fstatat(folderFd_, name_.c_str(), &taken, AT_SYMLINK_NOFOLLOW) == 0) {
            errno = EEXIST;
            return false;
        }
        if (::renameat(folderFd_, temp_.c_str(), folderFd_, name_.c_str()) != 0)
            return false;
    }
    temp_.clear();
    return true;
}

void AtomicFile::Discard()
{
    if (fd_ >= 0)
        ::close(std::exchange(fd_, -1));
    if (!temp_.empty())
        ::unlinkat(folderFd_, std::exchange(temp_, {}).c_str(), 0);
    ownFolder_.Close();
}

bool WriteFileAtomically(const Path& path, std::initializer_list<std::span<const std::uint8_t>> pieces,
                         std::error_code& error)
{
    AtomicFile file;
    const bool ok = file.Open(path) && file.Write(pieces) && file.Commit();
    error = file.error();
    return ok;
}

bool CopyFileAtomically(const Path& source, const Path& destination, std::error_code& error)
{
    InputFile in;
    if (!in.Open(source)) {
        error = in.error();
        return false;
    }
    AtomicFile out;
    bool ok = out.Open(destination) && out.SetPermissions(in.Mode());
    Bytes block(static_cast<std::size_t>(std::min<std::int64_t>(in.Size(), kCopyBlock)));
    for (std::int64_t at = 0; ok && at < in.Size(); at += static_cast<std::int64_t>(block.size())) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(in.Size() - at, kCopyBlock));
        const std::span<std::uint8_t> piece(block.data(), n);
        if (!in.ReadAt(at, piece)) {
            error = in.error() ? in.error() : std::make_error_code(std::errc::io_error);
            return false;
        }
        ok = out.Write({piece});
    }
    ok = ok && out.Commit(Flush::Always);
    error = out.error();
    return ok;
}

bool FollowLinks(const Path& path, Path& out, std::error_code& error)
{
    constexpr int kMaxLinks = 40;
    Path at = path;
    for (int hops = 0; hops <= kMaxLinks; ++hops) {
        struct stat st {};
        if (::lstat(at.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            // A missing file is made where the last link points; other faults show on opening.
            out = at;
            error.clear();
            return true;
        }
        std::string to(PATH_MAX + 1, '\0');
        const ssize_t n = ::readlink(at.c_str(), to.data(), to.size());
        if (n < 0 || static_cast<std::size_t>(n) >= to.size()) {
            error = n < 0 ? LastError() : std::make_error_code(std::errc::filename_too_long);
            return false;
        }
        to.resize(static_cast<std::size_t>(n));
        at = Path(to).is_absolute() || !at.has_parent_path() ? Path(to) : at.parent_path() / to;
    }
    error = std::make_error_code(std::errc::too_many_symbolic_link_levels);
    return false;
}

Rewrite::~Rewrite()
{
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool Rewrite::Refuse(Fault fault, std::error_code error)
{
    fault_ = fault;
    error_ = error;
    file_.Discard();
    if (lockFd_ >= 0)
        ::close(std::exchange(lockFd_, -1));
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
        lockFd_ = fd;
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
        ::close(std::exchange(lockFd_, -1));
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
    if (lockFd_ >= 0)
        ::close(std::exchange(lockFd_, -1));
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
    if (::fsync(file_.fd_) != 0)
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
    if (::fsync(file_.fd_) != 0 || !file_.NameTemporarily())
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
    if (::fsync(file_.fd_) != 0)
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
    const int in = ::openat(folder_.fd(), name_.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    struct stat st {};
    if (in < 0 || ::fstat(in, &st) != 0) {
        const std::error_code why = LastError();
        if (in >= 0)
            ::close(in);
        return Refuse(Fault::Backup, why);
    }
    AtomicFile copy;
    bool ok = copy.Open(folder_, backup) && copy.SetPermissions(st.st_mode);
    const auto size = static_cast<std::int64_t>(st.st_size);
    Bytes block(static_cast<std::size_t>(std::min<std::int64_t>(size, kCopyBlock)));
    for (std::int64_t at = 0; ok && at < size; at += static_cast<std::int64_t>(block.size())) {
        const std::span<std::uint8_t> piece(
            block.data(), static_cast<std::size_t>(std::min<std::int64_t>(size - at, kCopyBlock)));
        ok = ReadFully(in, at, piece) && copy.Write({piece});
    }
    const std::error_code why = copy.error() ? copy.error() : LastError();
    ::close(in);
    if (ok && copy.Commit(Flush::Always))
        return true;
    return Refuse(Fault::Backup, copy.error() ? copy.error() : why);
}

std::string SystemReason(const std::error_code& error)
{
    if (!error)
        return QT_TRANSLATE_NOOP("Varnox", "unbekannter Fehler");
    if (error == FileLayerError::Changed)
        return QT_TRANSLATE_NOOP("Varnox", "Die Datei wurde inzwischen geändert");
    // The messages are German, marked for the catalogue of the programs, which translate them
    // where shown; the system's own text only for the rare rest.
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOENT: return QT_TRANSLATE_NOOP("Varnox", "Datei oder Ordner nicht gefunden");
        case EACCES:
        case EPERM: return QT_TRANSLATE_NOOP("Varnox", "Keine Berechtigung");
        case EISDIR: return QT_TRANSLATE_NOOP("Varnox", "Ist ein Ordner");
        case ENOTDIR: return QT_TRANSLATE_NOOP("Varnox", "Ein Teil des Pfades ist kein Ordner");
        case ENAMETOOLONG: return QT_TRANSLATE_NOOP("Varnox", "Der Name ist zu lang");
        case ENOSPC: return QT_TRANSLATE_NOOP("Varnox", "Kein Platz mehr auf dem Datenträger");
        case EDQUOT: return QT_TRANSLATE_NOOP("Varnox", "Das Speicherkontingent ist erschöpft");
        case EROFS: return QT_TRANSLATE_NOOP("Varnox", "Der Datenträger ist schreibgeschützt");
        case EIO: return QT_TRANSLATE_NOOP("Varnox", "Ein- oder Ausgabefehler");
        case EBUSY:
        case ETXTBSY: return QT_TRANSLATE_NOOP("Varnox", "Die Datei ist in Gebrauch");
        case EMFILE:
        case ENFILE: return QT_TRANSLATE_NOOP("Varnox", "Zu viele offene Dateien");
        case EINVAL: return QT_TRANSLATE_NOOP("Varnox", "Keine gewöhnliche Datei");
        case EILSEQ: return QT_TRANSLATE_NOOP("Varnox", "Der Name ist für das Dateisystem ungültig");
        default: break;
        }
    }
    return error.message();
}

std::string PathText(const Path& path)
{
    return path.string();
}

} // namespace varnox
