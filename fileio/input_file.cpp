#include "fileio/input_file.h"

#include "fileio/descriptor.h"
#include "fileio/folder.h"
#include "fileio/internal.h"

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
    ::fcntl(fd.Get(), F_SETFL, ::fcntl(fd.Get(), F_GETFL) & ~O_NONBLOCK);
    std::FILE* f = ::fdopen(fd.Get(), "rb");
    if (f == nullptr) {
        error_ = LastError();
        return false;
    }
    fd.Release(); // the stream owns it now
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

} // namespace varnox
