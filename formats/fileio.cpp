#include "formats/fileio.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>

namespace varnox {

namespace {

std::error_code LastError() { return {errno, std::generic_category()}; }

}  // namespace

bool InputFile::Open(const Path& path)
{
    Close();
    error_.clear();
    // Opened without blocking, so that a FIFO or device named like an archive is refused
    // instead of waiting for a writer.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
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
        error_ = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory : std::errc::invalid_argument);
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

bool CanReplaceFile(const Path& path, std::error_code& error)
{
    // A write-protected file stays as it is, as it would if it were written in place.
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if ((existing.st_mode & 0222) == 0) {
            error = std::make_error_code(std::errc::permission_denied);
            return false;
        }
        if (::access(path.c_str(), W_OK) != 0) {
            error = LastError();
            return false;
        }
    }
    return true;
}

AtomicFile::~AtomicFile()
{
    Discard();
}

bool AtomicFile::Open(const Path& target)
{
    static std::atomic<unsigned> counter{0};
    Discard();
    error_.clear();
    target_ = target;
    if (!CanReplaceFile(target, error_))
        return false;
    struct stat existing {};
    const bool replacing = ::stat(target.c_str(), &existing) == 0;
    const Path folder = target.has_parent_path() ? target.parent_path() : Path(".");
    for (int attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
        // Short and independent of the target's name, so that a target whose name is as
        // long as the file system allows can still be written.
        temp_ = folder / (".varnox-" + std::to_string(getpid()) + "-" + std::to_string(counter++) + ".tmp");
        fd_ = ::open(temp_.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && errno != EEXIST)
            break;
    }
    if (fd_ < 0) {
        error_ = LastError();
        return false;
    }
    // Keep the permissions of a file that is being replaced.
    if (replacing && S_ISREG(existing.st_mode))
        ::fchmod(fd_, existing.st_mode & 07777);
    return true;
}

bool AtomicFile::Write(std::initializer_list<std::span<const std::uint8_t>> pieces)
{
    if (fd_ < 0 || error_)
        return false;
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

bool AtomicFile::MatchesTarget()
{
    if (fd_ < 0 || error_)
        return false;
    InputFile old;
    struct stat mine {};
    if (!old.Open(target_) || ::fstat(fd_, &mine) != 0 || old.Size() != mine.st_size)
        return false;
    Bytes a(1024 * 1024);
    Bytes b(a.size());
    for (std::int64_t at = 0; at < old.Size();) {
        const auto n = static_cast<std::size_t>(std::min<std::int64_t>(old.Size() - at, std::int64_t(a.size())));
        if (::pread(fd_, a.data(), n, static_cast<off_t>(at)) != static_cast<ssize_t>(n) ||
            !old.ReadAt(at, std::span<std::uint8_t>(b.data(), n)) || !std::equal(a.begin(), a.begin() + n, b.begin()))
            return false;
        at += static_cast<std::int64_t>(n);
    }
    return true;
}

bool AtomicFile::Commit()
{
    if (fd_ < 0 || error_)
        return false;
    const int fd = std::exchange(fd_, -1);
    if (::close(fd) != 0 || std::rename(temp_.c_str(), target_.c_str()) != 0) {
        error_ = LastError();
        ::unlink(temp_.c_str());
        return false;
    }
    return true;
}

void AtomicFile::Discard()
{
    if (fd_ < 0)
        return;
    ::close(std::exchange(fd_, -1));
    ::unlink(temp_.c_str());
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
    Bytes data;
    if (!ReadWholeFile(source, data, error))
        return false;
    return WriteFileAtomically(destination, {std::span<const std::uint8_t>(data)}, error);
}

std::string SystemReason(const std::error_code& error)
{
    if (!error)
        return "unbekannter Fehler";
    // The messages are German; the system's own text only for the rare rest.
    if (error.category() == std::generic_category() || error.category() == std::system_category()) {
        switch (error.value()) {
        case ENOENT: return "Datei oder Ordner nicht gefunden";
        case EACCES:
        case EPERM: return "Keine Berechtigung";
        case EISDIR: return "Ist ein Ordner";
        case ENOTDIR: return "Ein Teil des Pfades ist kein Ordner";
        case ENAMETOOLONG: return "Der Name ist zu lang";
        case ENOSPC: return "Kein Platz mehr auf dem Datenträger";
        case EDQUOT: return "Das Speicherkontingent ist erschöpft";
        case EROFS: return "Der Datenträger ist schreibgeschützt";
        case EIO: return "Ein- oder Ausgabefehler";
        case EBUSY:
        case ETXTBSY: return "Die Datei ist in Gebrauch";
        case EMFILE:
        case ENFILE: return "Zu viele offene Dateien";
        case EINVAL: return "Keine gewöhnliche Datei";
        case EILSEQ: return "Der Name ist für das Dateisystem ungültig";
        default: break;
        }
    }
    return error.message();
}

std::string PathText(const Path& path) { return path.string(); }

}  // namespace varnox
