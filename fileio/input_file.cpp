#include "fileio/input_file.h"

#include "fileio/descriptor.h"
#include "fileio/folder.h"
#include "fileio/internal.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox {

using namespace detail;

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
bool InputFile::Adopt(int opened)
{
    Descriptor fd(opened);
    if (!fd.IsOpen()) {
        error_ = LastError();
        return false;
    }
    struct stat st {};
    if (fstat(fd.Get(), &st) != 0) {
        error_ = LastError();
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        error_ = std::make_error_code(S_ISDIR(st.st_mode) ? std::errc::is_a_directory
                                                          : std::errc::invalid_argument);
        return false;
    }
    // O_NONBLOCK means nothing for a regular file, so it may stay set.
    fd_ = std::move(fd);
    size_ = static_cast<std::int64_t>(st.st_size);
    mode_ = static_cast<unsigned>(st.st_mode & 07777);
    return true;
}

void InputFile::Close()
{
    fd_.Reset();
    size_ = 0;
    ahead_.reset();
    aheadCapacity_ = 0;
    aheadLength_ = 0;
}

// Reads into out at offset with pread, until it is full, the file ends or reading fails.
std::size_t InputFile::ReadDirect(std::int64_t offset, std::span<std::uint8_t> out)
{
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t got = ::pread(fd_.Get(), out.data() + done, out.size() - done,
                                    static_cast<off_t>(offset + static_cast<std::int64_t>(done)));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            error_ = LastError();
        if (got <= 0)
            break;
        done += static_cast<std::size_t>(got);
    }
    return done;
}

std::size_t InputFile::ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> out)
{
    constexpr std::size_t kAhead = 64 << 10;
    if (!fd_.IsOpen() || offset < 0 || offset > size_)
        return 0;
    std::size_t done = 0;
    while (done < out.size()) {
        const std::int64_t at = offset + static_cast<std::int64_t>(done);
        const std::size_t left = out.size() - done;
        if (at >= aheadAt_ && at < aheadAt_ + static_cast<std::int64_t>(aheadLength_)) {
            const auto from = static_cast<std::size_t>(at - aheadAt_);
            const std::size_t n = std::min(left, aheadLength_ - from);
            std::copy_n(ahead_.get() + from, n, out.data() + done);
            done += n;
            continue;
        }
        if (left >= kAhead || at >= size_)
            return done + ReadDirect(at, out.subspan(done));
        if (!ahead_) {
            aheadCapacity_ = static_cast<std::size_t>(std::min<std::int64_t>(size_, kAhead));
            ahead_ = std::make_unique_for_overwrite<std::uint8_t[]>(aheadCapacity_);
        }
        aheadAt_ = at;
        aheadLength_ = ReadDirect(at, std::span(ahead_.get(), aheadCapacity_));
        if (aheadLength_ == 0)
            break;
    }
    return done;
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

} // namespace varnox
