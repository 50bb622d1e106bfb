#pragma once
// Small file layer: one open file per object, reads at offsets, and whole-file
// replacement through a temporary file in the destination's folder.

#include "formats/bytes.h"

#include <cstdio>
#include <filesystem>
#include <initializer_list>
#include <span>
#include <string>
#include <system_error>

namespace varnox {

using Path = std::filesystem::path;

// A file opened for reading raw bytes; closed when the object goes.
class InputFile {
public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { Close(); }

    // Opens an existing regular file; false (with the reason in error()) otherwise.
    bool Open(const Path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Size of the file in bytes, as found when it was opened.
    std::int64_t Size() const { return size_; }
    // Reads exactly out.size() bytes at offset; false if the file ends first or reading fails.
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> out);
    // Reads up to out.size() bytes at offset; returns how many were read (the rest is untouched).
    std::size_t ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> out);

    const std::error_code& error() const { return error_; }

private:
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
    std::error_code error_;
};

// Reads a whole file; false (with error set) when it cannot be opened or read.
bool ReadWholeFile(const Path& path, Bytes& out, std::error_code& error);

// False (with error set) when path is an existing file that may not be replaced: one with
// no write permission bits, or one this user may not write.
bool CanReplaceFile(const Path& path, std::error_code& error);

// A file written under a temporary name beside its target and renamed over it when
// complete, so that the target holds either its old content or the whole new one. A file
// dropped (or discarded) before Commit leaves no trace. After the first failure every
// call returns false and error() tells why.
class AtomicFile {
public:
    AtomicFile() = default;
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;
    ~AtomicFile();

    // Refuses a write-protected target (it stays as it is) or a folder without room for
    // the temporary file.
    bool Open(const Path& target);
    // Appends the concatenation of pieces.
    bool Write(std::initializer_list<std::span<const std::uint8_t>> pieces);
    // Writes bytes at offset (the file grows as needed).
    bool WriteAt(std::int64_t offset, std::span<const std::uint8_t> bytes);
    // True when the target is a regular file holding exactly the bytes written so far.
    bool MatchesTarget();
    // Puts the file in place of the target.
    bool Commit();
    // Removes the temporary file; the target stays as it was.
    void Discard();

    bool IsOpen() const { return fd_ >= 0; }
    const std::error_code& error() const { return error_; }

private:
    Path target_;
    Path temp_;
    int fd_ = -1;
    std::error_code error_;
};

// Writes the concatenation of pieces to a temporary file beside path and renames it
// over path, so that path holds either its old content or the whole new one.
bool WriteFileAtomically(const Path& path, std::initializer_list<std::span<const std::uint8_t>> pieces,
                         std::error_code& error);

// Copies source over destination the same way.
bool CopyFileAtomically(const Path& source, const Path& destination, std::error_code& error);

// The system's description of an error, for messages.
std::string SystemReason(const std::error_code& error);

// A path as UTF-8 text, for messages.
std::string PathText(const Path& path);

}  // namespace varnox
