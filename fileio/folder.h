#pragma once
// Folders held open, so that files are made, replaced and removed relative to them.
#include "fileio/descriptor.h"
#include "fileio/paths.h"
#include <utility>

namespace varnox {

// A folder held open: files are made, replaced and removed relative to it, so that its path
// being swapped for a link afterwards cannot redirect them. Opening it for writing also
// removes the temporary files that killed runs of this program left in it.
class Folder {
  public:
    Folder() = default;
    Folder(const Folder&) = delete;
    Folder& operator=(const Folder&) = delete;
    ~Folder() { Close(); }

    // Opens an existing folder; links on its path are followed.
    bool Open(const Path& path);
    // Opens the folder name inside parent, made (one level) when missing. Refuses with
    // not_a_directory anything else standing there, a link to a folder included, and with
    // invalid_argument a name that is no plain file name (IsPlainFileName).
    bool OpenReal(const Path& parent, const std::string& name);
    void Close();
    // Flushes the file system the folder is on to disk, so that every file written into
    // it survives a power cut (one flush for many files).
    bool Sync();
    // Removes the file name from the folder; true when it is gone, also when it never was.
    bool Remove(const std::string& name);

    bool IsOpen() const { return fd_.IsOpen(); }
    int fd() const { return fd_.Get(); }
    const std::error_code& error() const { return error_; }

  private:
    bool Finish(int fd, const Path& path);
    Descriptor fd_;
    std::error_code error_;
};

// A real folder (Folder::OpenReal) made and opened on first use, then held open; the
// outcome of the first attempt holds for every later one.
class FolderOnFirstUse {
  public:
    FolderOnFirstUse(Path parent, std::string name) : parent_(std::move(parent)), name_(std::move(name)) {}

    // The open folder; nullptr (with error()) when it was refused.
    const Folder* Get()
    {
        if (!tried_) {
            tried_ = true;
            folder_.OpenReal(parent_, name_);
        }
        return folder_.IsOpen() ? &folder_ : nullptr;
    }
    // Flushes what was written into the folder, if it was opened.
    bool Sync() { return folder_.Sync(); }
    const std::error_code& error() const { return folder_.error(); }

  private:
    Path parent_;
    std::string name_;
    Folder folder_;
    bool tried_ = false;
};

// Gives name in folder the file that stands at other and other the file at name, in one step
// where the file system can, else in three renames that are undone when one fails.
bool SwapNames(const Folder& folder, const std::string& name, const std::string& other,
               std::error_code& error);

} // namespace varnox
