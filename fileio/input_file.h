#pragma once
// A file opened for reading at offsets.
#include "fileio/paths.h"
#include <cstdio>
#include <span>

namespace varnox {

// A file opened for reading raw bytes; closed when the object goes.
class InputFile {
  public:
    InputFile() = default;
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    ~InputFile() { Close(); }

    // Opens an existing regular file; false (with the reason in error()) otherwise.
    bool Open(const Path& path);
    // Opens name in folder without following a link: a link there is refused with ELOOP, a
    // folder with EISDIR, a FIFO or device with EINVAL.
    bool OpenIn(const Folder& folder, const std::string& name);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Size of the file in bytes, as found when it was opened.
    std::int64_t Size() const { return size_; }
    // Permission bits of the file, as found when it was opened.
    unsigned Mode() const { return mode_; }
    // Reads exactly out.size() bytes at offset; false if the file ends first or reading fails.
    bool ReadAt(std::int64_t offset, std::span<std::uint8_t> out);
    // Reads up to out.size() bytes at offset; returns how many were read (the rest is untouched).
    std::size_t ReadSomeAt(std::int64_t offset, std::span<std::uint8_t> out);

    const std::error_code& error() const { return error_; }

  private:
    bool Adopt(int fd);
    std::FILE* file_ = nullptr;
    std::int64_t size_ = 0;
    unsigned mode_ = 0;
    std::error_code error_;
};

// Reads a whole file; false (with error set) when it cannot be opened or read.
bool ReadWholeFile(const Path& path, Bytes& out, std::error_code& error);

} // namespace varnox
