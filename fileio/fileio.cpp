#include "fileio/fileio.h"

#include "fileio/internal.h"

#include <cerrno>
#include <climits>
#include <sys/stat.h>
#include <unistd.h>

namespace varnox {

using namespace detail;

namespace {

class FileLayerCategory : public std::error_category {
  public:
    const char* name() const noexcept override { return "varnox.fileio"; }
    std::string message(int value) const override
    {
        return value == static_cast<int>(FileLayerError::Changed) ? "changed by someone else" : "unknown";
    }
};

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

bool IsPlainFileName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
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

std::string PathText(const Path& path)
{
    return path.string();
}

} // namespace varnox
