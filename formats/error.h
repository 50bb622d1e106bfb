#pragma once
// One error value for every failure of the Qt-free code: what went wrong (the code of the
// format or file operation that found it), on which file, and the system's reason when a
// system call failed. Described in German by Describe().

#include "fileio/fileio.h"

#include <optional>
#include <string>
#include <system_error>
#include <utility>
#include <variant>

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

using ErrorCode = std::variant<IoError, ResError, GfpError, TgaError, PngError, ExtractError, ManifestError>;

struct Error {
    ErrorCode code;
    Path file;
    std::error_code system; // set when a system call failed
    std::string detail;     // extra words of a library (libspng's reason), may be empty
    int line = 0;           // 1-based line of a text file at fault; 0 for the file as a whole
};

// German reason: the code's text, then the detail and the system's reason when set.
std::string Describe(const Error& error);

// "file: reason", as the windows and the command line show a refusal.
std::string MessageText(const Error& error);

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

// The code of kind Code that status carries; Code{} (each kind's None) when status is ok
// or carries a code of another kind.
template <class Code> Code CodeOf(const Status& status)
{
    if (status.ok())
        return Code{};
    const Code* code = std::get_if<Code>(&status.error().code);
    return code != nullptr ? *code : Code{};
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
    T* operator->() { return &value(); }
    // The value, or fallback when there is none.
    T value_or(T fallback) const { return ok() ? value() : std::move(fallback); }
    const Error& error() const { return std::get<1>(value_); }
    Status status() const { return ok() ? Status() : Status(error()); }

  private:
    std::variant<T, Error> value_;
};

} // namespace varnox
