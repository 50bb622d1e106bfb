// Preloaded into a test program to stand for a file system without hard links, anonymous
// files or renameat2's flags (FAT and exFAT through FUSE, some network shares): link() fails
// with EPERM, RENAME_EXCHANGE and RENAME_NOREPLACE with EINVAL, and O_TMPFILE with
// EOPNOTSUPP unless VARNOX_NOLINKS_TMPFILE is set (a file system that makes anonymous files
// but links none). No system header is included: their declarations would clash.

#include <cerrno>
#include <cstdarg>
#include <cstdlib>
#include <dlfcn.h>
#include <sys/types.h>

namespace {

constexpr int kTmpFile = 020000000 | 0200000; // O_TMPFILE, with O_DIRECTORY
constexpr int kCreate = 0100;                 // O_CREAT

using OpenAt = int (*)(int, const char*, int, ...);
using RenameAt = int (*)(int, const char*, int, const char*);

int Refuse(int error)
{
    errno = error;
    return -1;
}

int OpenThrough(const char* symbol, int folder, const char* path, int flags, mode_t mode)
{
    if ((flags & kTmpFile) == kTmpFile && std::getenv("VARNOX_NOLINKS_TMPFILE") == nullptr)
        return Refuse(EOPNOTSUPP);
    static const auto openAt = reinterpret_cast<OpenAt>(dlsym(RTLD_NEXT, "openat"));
    static const auto openAt64 = reinterpret_cast<OpenAt>(dlsym(RTLD_NEXT, "openat64"));
    const OpenAt real = symbol[6] == '6' && openAt64 != nullptr ? openAt64 : openAt;
    return real(folder, path, flags, mode);
}

mode_t ModeArgument(int flags, va_list args)
{
    return (flags & kCreate) != 0 || (flags & kTmpFile) == kTmpFile ? va_arg(args, mode_t) : 0;
}

} // namespace

extern "C" {

int link(const char*, const char*) noexcept
{
    return Refuse(EPERM);
}

int linkat(int, const char*, int, const char*, int) noexcept
{
    return Refuse(EPERM);
}

int renameat2(int fromFolder, const char* from, int toFolder, const char* to, unsigned int flags) noexcept
{
    if (flags != 0)
        return Refuse(EINVAL);
    static const auto renameAt = reinterpret_cast<RenameAt>(dlsym(RTLD_NEXT, "renameat"));
    return renameAt(fromFolder, from, toFolder, to);
}

int openat(int folder, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return OpenThrough("openat", folder, path, flags, mode);
}

int openat64(int folder, const char* path, int flags, ...)
{
    va_list args;
    va_start(args, flags);
    const mode_t mode = ModeArgument(flags, args);
    va_end(args);
    return OpenThrough("openat64", folder, path, flags, mode);
}

} // extern "C"
