#pragma once
// What the file layer's classes share: paths and bytes, the state of a file, the layer's own
// errors, the rule for a name inside a held folder, and links followed as writers follow them.
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <system_error>
#include <type_traits>
#include <vector>

namespace varnox {

using Path = std::filesystem::path;
using Bytes = std::vector<std::uint8_t>;

class Folder;

// What tells one state of a file from another: the file itself (device and inode), its size,
// and the times of its last change of content (mtime) and of its entry (ctime). A rewrite in
// place that sets the mtime back (cp -p, touch -r) still moves the ctime.
struct FileIdentity {
    bool present = false; // false: no file at that name
    unsigned long long device = 0, inode = 0;
    long long size = 0;
    long long mtimeSeconds = 0, mtimeNanoseconds = 0;
    long long ctimeSeconds = 0, ctimeNanoseconds = 0;
    bool operator==(const FileIdentity&) const = default;
};

// The identity of what path names, links followed; not present when nothing is there. A
// path that cannot be examined gives an identity no file has, so it never passes as unchanged.
FileIdentity IdentityOf(const Path& path);
// The same for name in folder, a link there taken as itself.
FileIdentity IdentityAt(const Folder& folder, const std::string& name);

// The file layer's own reasons, beside the system's.
enum class FileLayerError {
    Changed = 1, // the file was changed by someone else since it was read
};
std::error_code make_error_code(FileLayerError error);

// True for a name that stands for one entry directly inside a held folder: not empty, not
// "." or ".." (the folder itself or its parent), without "/" (which would reach into another
// folder) and without NUL (where the system would end the name early).
bool IsPlainFileName(std::string_view name);

// Follows the links that path ends in to the file they name, which may be missing, so that
// a writer replaces that file and the links stay links. Fails with ELOOP after 40 links.
bool FollowLinks(const Path& path, Path& out, std::error_code& error);

// A path as UTF-8 text, for messages.
std::string PathText(const Path& path);

} // namespace varnox

template <> struct std::is_error_code_enum<varnox::FileLayerError> : std::true_type {
};
