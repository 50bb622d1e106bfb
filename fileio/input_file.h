#pragma once
// A file opened for reading at offsets.
#include "fileio/descriptor.h"
#include "fileio/paths.h"
#include <memory>
#include <span>

namespace varnox {

// A file opened for reading raw bytes; closed when the object goes. Small reads are served
// from a read-ahead of at most 64 KiB, so that a decoder asking for a few bytes at a time
// does not make a system call for each.
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
    bool IsOpen() const { return fd_.IsOpen(); }

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
    std::size_t ReadDirect(std::int64_t offset, std::span<std::uint8_t> out);
    Descriptor fd_;
    std::unique_ptr<std::uint8_t[]> ahead_; // the read-ahead, made on the first small read
    std::size_t aheadCapacity_ = 0;
    std::int64_t aheadAt_ = 0;    // the file offset of its first byte
    std::size_t aheadLength_ = 0; // how many of its bytes are valid
    std::int64_t size_ = 0;
    unsigned mode_ = 0;
    std::error_code error_;
};

// Reads a whole file; false (with error set) when it cannot be opened or read.
bool ReadWholeFile(const Path& path, Bytes& out, std::error_code& error);

} // namespace varnox
