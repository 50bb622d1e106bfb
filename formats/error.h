#pragma once
// One error value for every failure of the Qt-free code: what went wrong (the code of the
// format or file operation that found it), on which file, and the system's reason when a
// system call failed. Made into text only where it is shown (formats/describe.h).

#include "fileio/paths.h"

#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>
#include <vector>

namespace varnox {

// Each format's own reasons, defined beside the format.
enum class ResError;
enum class GfpError;
enum class TgaError;
enum class ExtractError;
enum class ManifestError;

// Failures of file operations and of the work itself, not tied to one format.
enum class IoError {
    CannotOpen,
    CannotRead,
    CannotWrite,
    CannotReplace, // a target that may not be rewritten
    CannotBackUp,  // the copy kept before a file is rewritten
    OutOfMemory,
    Cancelled,
    Busy,    // another writer holds the file
    Changed, // someone else changed the file while it was being rewritten
    System,  // a system call failed, and its reason is all there is to tell
};

// Why a PNG was refused.
enum class PngError {
    Signature,    // no PNG signature
    Damaged,      // the decoder's reason is in Error::detail
    Size,         // width or height zero
    TooLarge,     // more pixel bytes than a GFP may hold
    Unsupported,  // a colour type or depth the reader does not take
    Method,       // a compression, filter or interlace method PNG does not define
    PaletteIndex, // a pixel's index beyond the palette
};

// Why a job refused a file or could not finish it, beside the formats' own reasons. The
// names and numbers the reason names are in Error::args, in the order given here.
enum class JobError {
    None,
    SameNameUnpacked, // a later item of a name already unpacked; args: the earlier item's number from 1
    FolderNotSynced,  // the unpack folder could not be flushed to disk
    BitsPerPixel,     // args: bitsPerPixel
    NegativeSize,     // width or height negative
    TooLargeForTga,   // width or height beyond 32767
    NotGfpName,       // a name not ending in ".gfp"
    NotResArchive,    // an archive that does not begin with "RESF", as a job names it
    LinkNotPacked,    // a symbolic link where a regular file is packed
    FifoNotPacked,    // a FIFO
    DeviceNotPacked,  // a device
    FolderNotPacked,  // a folder
    NotRegularFile,   // anything else that is no regular file
    BothChanged,      // args: the item's label, the GFP, the picture beside it
    // Extract: notes on items and on what a pack would not give back.
    PictureIntoNext,         // a picture reaching into the data after it
    RawPicture,              // args: why the picture is none
    NameTaken,               // args: the file written instead
    NameUnfit,               // args: the file written instead
    SidePictureNotWritten,   // args: PNG or TGA, the reason
    DirectoryOverlapsHeader, // the directory before the end of the file's head
    DataOverlapsTables,      // an item's data over the head or the directory
    DataBeforeEarlier,       // an item's data before an earlier item's
    LayoutNotRebuilt,        // a layout the manifest cannot describe
    FolderNotMade,           // the extract folder could not be made
    FolderNotListed,         // args: the folder whose entries cannot be read
    ItemTakesArchiveName,    // a file of the extract would replace the archive
    EditedNotReplaced,       // args: how many pictures were edited since the extract
    // Pack and replace.
    ArchiveBusy,         // another writer holds the archive
    ArchiveChanged,      // someone else changed the archive while it was rewritten
    PastOffsets,         // data beyond the archive's 32-bit offsets
    FileMissing,         // a file the manifest names is not there
    ManifestTooLarge,    // a manifest above 64 MiB
    ManifestLine,        // args: the line number, the reason
    NoNameField,         // a file name that gives no name field
    ChangedWhilePacking, // a file of another size than measured
    ArchiveInFolder,     // the archive inside the folder packed
    ItemBeyond,          // args: the text naming the item, the last item's label
    NoItemNamed,         // args: the name
    ItemsNamed,          // args: the name, the labels of the items of that name
    NoSuchItem,          // an index beyond the directory
    NotPictureItem,      // args: the item's label, its type label
    DamagedItemHead,     // args: the reason
    ArchiveTooLarge,     // no room for appended data within the 32-bit offsets
    // Edit.
    EditorNotStarted, // the editor VARNOX_EDITOR names cannot be started
    EditorFailed,     // args: the editor's exit code
    PictureNotOpened, // xdg-open could not open the picture
    NoTerminal,       // no terminal to wait on for the save
};

using ErrorCode =
    std::variant<IoError, ResError, GfpError, TgaError, PngError, ExtractError, ManifestError, JobError>;

struct Error {
    ErrorCode code;
    Path file;
    std::error_code system;             // set when a system call failed
    std::string detail;                 // extra words of a library (libspng's reason), may be empty
    std::vector<std::string> args;      // the names and numbers the reason names (%1, %2 ...)
    int line = 0;                       // 1-based line of a text file at fault; 0 for the file as a whole
    std::string item;                   // the archive item at fault ("#3"); empty for the file as a whole
    std::shared_ptr<const Error> cause; // what the reason names as its last %N, when it names one
};

// The outcome of work that yields nothing but success or an error.
class [[nodiscard]] Status {
  public:
    Status() = default;
    Status(Error error) : error_(std::move(error)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return !error_; }
    explicit operator bool() const { return ok(); }
    const Error& error() const { return *error_; }

  private:
    std::optional<Error> error_;
};

// The code of kind Code that status carries; Code{} when status is ok or carries a code of
// another kind. Code{} is None for the kinds that have one; IoError and PngError have none,
// so for them Code{} is their first code (CannotOpen, Signature): test those with Is().
template <class Code> Code CodeOf(const Status& status)
{
    if (status.ok())
        return Code{};
    const Code* code = std::get_if<Code>(&status.error().code);
    return code != nullptr ? *code : Code{};
}

// Whether status failed with code.
template <class Code> bool Is(const Status& status, Code code)
{
    if (status.ok())
        return false;
    const Code* found = std::get_if<Code>(&status.error().code);
    return found != nullptr && *found == code;
}

// error as it concerns file: a reader's reason told of the file the caller named.
inline Error OnFile(Error error, const Path& file)
{
    error.file = file;
    return error;
}

// error with cause as the reason it names last.
inline Error WithCause(Error error, Error cause)
{
    error.cause = std::make_shared<const Error>(std::move(cause));
    return error;
}

// A value or the error that kept it from being made.
template <class T> class [[nodiscard]] Result {
  public:
    Result(T value) : value_(std::move(value)) {}     // NOLINT(google-explicit-constructor)
    Result(Error error) : value_(std::move(error)) {} // NOLINT(google-explicit-constructor)

    bool ok() const { return value_.index() == 0; }
    explicit operator bool() const { return ok(); }
    T& value() { return std::get<0>(value_); }
    const T& value() const { return std::get<0>(value_); }
    T& operator*() { return value(); }
    const T& operator*() const { return value(); }
    T* operator->() { return &value(); }
    const T* operator->() const { return &value(); }
    // The value, or fallback when there is none.
    T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }
    const Error& error() const { return std::get<1>(value_); }
    Status status() const { return ok() ? Status() : Status(error()); }

  private:
    std::variant<T, Error> value_;
};

} // namespace varnox
