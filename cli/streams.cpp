#include "cli/streams.h"

#include "cli/progress.h"
#include "fileio/atomic_file.h"
#include "fileio/input_file.h"

#include <cerrno>
#include <unistd.h>
#include <vector>

namespace varnox::cli {

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;
// How a stream is named in messages.
Path StreamName()
{
    return Path("-");
}

std::error_code LastError()
{
    return {errno, std::generic_category()};
}

} // namespace

Status PipeFolder::Make()
{
    std::error_code error;
    const Path base = std::filesystem::temp_directory_path(error);
    return folder_.Make(error ? Path("/tmp") : base, "varnox-pipe-");
}

Status SpoolStandardInput(const Path& file)
{
    AtomicFile out;
    if (!out.Open(file))
        return Error{IoError::CannotWrite, file, out.error(), {}};
    std::vector<std::uint8_t> chunk(kChunk);
    for (;;) {
        const ssize_t got = ::read(STDIN_FILENO, chunk.data(), chunk.size());
        if (got == 0)
            break;
        if (got < 0 && errno == EINTR && !CommandProgress::Interrupted())
            continue;
        if (got < 0)
            return Error{IoError::CannotRead, StreamName(), LastError(), {}};
        if (!out.Write({{chunk.data(), static_cast<std::size_t>(got)}}))
            return Error{IoError::CannotWrite, file, out.error(), {}};
    }
    if (!out.Commit(Flush::ByCaller))
        return Error{IoError::CannotWrite, file, out.error(), {}};
    return {};
}

Status CopyToStandardOutput(const Path& file)
{
    InputFile in;
    if (!in.Open(file))
        return Error{IoError::CannotRead, file, in.error(), {}};
    std::vector<std::uint8_t> chunk(kChunk);
    for (std::int64_t at = 0; at < in.Size();) {
        const std::size_t got = in.ReadSomeAt(at, chunk);
        if (got == 0)
            return Error{IoError::CannotRead, file, in.error(), {}};
        for (std::size_t put = 0; put < got;) {
            const ssize_t wrote = ::write(STDOUT_FILENO, chunk.data() + put, got - put);
            if (wrote < 0 && errno == EINTR && !CommandProgress::Interrupted())
                continue;
            if (wrote < 0)
                return Error{IoError::CannotWrite, StreamName(), LastError(), {}};
            put += static_cast<std::size_t>(wrote);
        }
        at += static_cast<std::int64_t>(got);
    }
    return {};
}

Error AsStream(Error error, const Path& standIn)
{
    if (!standIn.empty() && error.file == standIn)
        error.file = StreamName();
    return error;
}

} // namespace varnox::cli
