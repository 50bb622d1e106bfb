#include "fileio/atomic_file.h"

#include "fileio/input_file.h"
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <stdio.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <vector>

namespace varnox {

using namespace detail;

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
    // One look at the name when it is free, as it is for every file of a new folder.
    struct stat existing {};
    const int looked = ::fstatat(folderFd_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW);
    if (looked != 0 && errno != ENOENT) {
        error_ = LastError();
        return false;
    }
    if (looked == 0 && !CanReplaceFile(folderFd_, name_, error_))
        return false;
    anonymous_ = temporary_ == TemporaryFile::Anonymous;
    if (anonymous_) {
        fd_.Reset(::openat(folderFd_, ".", O_TMPFILE | O_RDWR | O_CLOEXEC, 0666));
        // Without anonymous files on this file system, a named one does.
        if (!fd_.IsOpen() && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return Fail();
        anonymous_ = fd_.IsOpen();
    }
    if (!fd_.IsOpen())
        fd_ = CreateTemporaryFile(folderFd_, temp_);
    if (!fd_.IsOpen())
        return Fail();
    // Keep the permissions of a regular file that is being replaced, but not what a link
    // leads to, and never setuid, setgid or sticky: those a new file must not inherit.
    expected_ = FileIdentity{};
    if (looked == 0)
        expected_ =
            IdentityFromCall(::fstatat(folderFd_, name_.c_str(), &existing, AT_SYMLINK_NOFOLLOW), existing);
    if (expected_.present && S_ISREG(existing.st_mode))
        ::fchmod(fd_.Get(), existing.st_mode & 0777);
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
    if (!fd_.IsOpen() || error_)
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
        const ssize_t n = ::writev(fd_.Get(), &chunks[first], count);
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
    if (!fd_.IsOpen() || error_)
        return false;
    match_ = Match::Unknown;
    while (!bytes.empty()) {
        const ssize_t n = ::pwrite(fd_.Get(), bytes.data(), bytes.size(), static_cast<off_t>(offset));
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
    if (!fd_.IsOpen() || error_)
        return false;
    if (::fchmod(fd_.Get(), static_cast<mode_t>(mode & 0777)) != 0) {
        error_ = LastError();
        return false;
    }
    return true;
}

bool AtomicFile::MatchesTarget()
{
    if (!fd_.IsOpen() || error_)
        return false;
    if (match_ != Match::Unknown)
        return match_ == Match::Same;
    match_ = Match::Differs;
    const Descriptor target(
        ::openat(folderFd_, name_.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    if (!target.IsOpen())
        return false;
    struct stat ours {};
    struct stat theirs {};
    if (::fstat(fd_.Get(), &ours) == 0 && ::fstat(target.Get(), &theirs) == 0 && S_ISREG(theirs.st_mode) &&
        ours.st_size == theirs.st_size) {
        // Compared a block at a time, so that no file is held whole.
        const auto size = static_cast<std::int64_t>(ours.st_size);
        Bytes a(static_cast<std::size_t>(std::min<std::int64_t>(size, kCompareBlock)));
        Bytes b(a.size());
        std::int64_t at = 0;
        while (at < size) {
            const auto n = static_cast<std::size_t>(std::min<std::int64_t>(size - at, kCompareBlock));
            const std::span<std::uint8_t> x(a.data(), n), y(b.data(), n);
            if (!ReadFully(fd_.Get(), at, x) || !ReadFully(target.Get(), at, y) ||
                !std::equal(x.begin(), x.end(), y.begin()))
                break;
            at += static_cast<std::int64_t>(n);
        }
        if (at == size)
            match_ = Match::Same;
    }
    return match_ == Match::Same;
}

bool AtomicFile::ReadBack(std::int64_t offset, std::span<std::uint8_t> out) const
{
    return fd_.IsOpen() && ReadFully(fd_.Get(), offset, out);
}

std::int64_t AtomicFile::SizeSoFar() const
{
    struct stat st {};
    return fd_.IsOpen() && ::fstat(fd_.Get(), &st) == 0 ? static_cast<std::int64_t>(st.st_size) : -1;
}

bool AtomicFile::Commit(Flush flush)
{
    if (!fd_.IsOpen() || error_)
        return false;
    // A new file where none stood is linked at once: the link refuses a name taken meanwhile,
    // which is then looked at as below.
    if (!expected_.present && anonymous_ && flush != Flush::Always) {
        if (LinkAs(name_)) {
            Discard();
            return true;
        }
        if (errno != EEXIST && !NoHardLinks(errno))
            return Fail();
    }
    const FileIdentity found = IdentityAtFd(folderFd_, name_);
    const bool replacing = found.present;
    if (replacing && MatchesTarget()) {
        Discard();
        return true;
    }
    const bool flushNow = flush == Flush::Always || (flush == Flush::WhenReplacing && replacing);
    if (flushNow && ::fsync(fd_.Get()) != 0)
        return Fail();
    // Looked at again after a flush or a comparison, which take a while, so that little time
    // is left for another program to change the target; a new file of many needs one look.
    if (!TargetAsExpected(flushNow || replacing ? IdentityAtFd(folderFd_, name_) : found))
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
bool AtomicFile::TargetAsExpected(const FileIdentity& found)
{
    if (found == expected_)
        return true;
    Discard();
    error_ = FileLayerError::Changed;
    return false;
}

// Links the anonymous file into the folder as name; false (errno set) when it cannot.
bool AtomicFile::LinkAs(const std::string& name)
{
    const std::string self = "/proc/self/fd/" + std::to_string(fd_.Get());
    if (::linkat(AT_FDCWD, self.c_str(), folderFd_, name.c_str(), AT_SYMLINK_FOLLOW) == 0)
        return true;
    // Without /proc, the system's own way (which may need privileges).
    if (errno == ENOENT && ::linkat(fd_.Get(), "", folderFd_, name.c_str(), AT_EMPTY_PATH) == 0)
        return true;
    return false;
}

// Copies the anonymous file into a new named temporary file, which takes its place.
bool AtomicFile::SpillToNamed()
{
    Descriptor named = CreateTemporaryFile(folderFd_, temp_);
    if (!named.IsOpen())
        return false;
    struct stat st {};
    bool ok = ::fstat(fd_.Get(), &st) == 0 && ::fchmod(named.Get(), st.st_mode & 0777) == 0;
    Bytes block(kCopyBlock);
    for (std::int64_t at = 0; ok && at < st.st_size;) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(st.st_size - at, kCopyBlock));
        const std::span<std::uint8_t> piece(block.data(), n);
        ok = ReadFully(fd_.Get(), at, piece) &&
             ::pwrite(named.Get(), piece.data(), n, static_cast<off_t>(at)) == static_cast<ssize_t>(n);
        at += static_cast<std::int64_t>(n);
    }
    if (!ok) {
        const int why = errno;
        named.Reset();
        ::unlinkat(folderFd_, std::exchange(temp_, {}).c_str(), 0);
        errno = why;
        return false;
    }
    fd_ = std::move(named);
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
    if (!anonymous_ && !fd_.Close())
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
    fd_.Reset();
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

} // namespace varnox
