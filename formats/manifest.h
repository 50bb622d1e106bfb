#pragma once
// "archive.txt", the manifest of an extracted archive: one line per item in directory order
// and the layout facts that rebuild the archive. UTF-8 text, to be read and edited:
//
//   varnox-archiv 1
//   vorspann 0
//   eintrag 14 "titel.gfp" füllung 4
//   verzeichnis füllung 0
//   eintrag 16 "klick.sound" name "klick\x00alt" füllung "füllung-3.bin"
//   eintrag 16 "klick.sound" name "echo"
//   prüfsumme "titel.gfp" 1c291ca3
//   bild "titel.png" 5e0c3b2a-8a7d1f40
//   exakt
//
// "vorspann": the bytes after the 12 header bytes; "verzeichnis": where the directory and the
// name table lie among the items' data; "füllung": bytes after a part, a count of zero bytes,
// hex:<bytes>, or a "file" of the folder holding them; "name": the whole name field
// (NUL-padded) when the file name does not give it. Entries naming the same file share its
// data, laid down once. After the entries, what extract wrote: "prüfsumme": the CRC-32 of an
// item's file; "bild": a PNG or TGA beside a GFP, as the CRC-32 of its file and of its RGB565
// rows, or "fehlt" where the GFP gave none. The last line tells whether packing the folder
// unchanged gives the archive back. Older manifests give "prüfsumme GFP-PIXELS" in an entry
// for a picture beside the GFP of either kind.

#include "formats/archive.h"
#include "formats/error.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox {

inline constexpr const char* kManifestName = "archive.txt";
inline constexpr const char* kManifestFormatLine = "varnox-archiv 1";
// The keywords of the last line, the same in every language; the reasons after "nicht exakt: "
// are in the language of the user who extracted.
inline constexpr const char* kExact = "exakt";
inline constexpr const char* kNotExact = "nicht exakt";
inline constexpr std::int64_t kMaxManifestSize = 64 << 20;
// The longest line read, in bytes: far above any line extract writes (hex fills stop at 4 KiB),
// and it bounds what one line takes while it is parsed.
inline constexpr std::size_t kMaxManifestLine = 1 << 20;

using NameField = std::array<std::uint8_t, kResNameSize>;

// Bytes laid down after a part: length zero bytes, the given bytes, or the bytes of a file.
struct Fill {
    std::int64_t length = 0; // for a file: its size where known, else 0
    Bytes bytes;             // empty for zero bytes; else length bytes
    std::string file;        // UTF-8, a plain name in the folder; empty for the other forms
    bool operator==(const Fill&) const = default;
    bool IsEmpty() const { return length == 0 && bytes.empty() && file.empty(); }
};

// What extract wrote beside a picture's GFP: the CRC-32 of the picture file (none in older
// manifests) and of the picture's RGB565 rows; neither when it could write no picture there
// ("fehlt"), so that a picture put there later is new.
struct PictureChecksum {
    std::optional<std::uint32_t> file;
    std::optional<std::uint32_t> pixels;
    bool operator==(const PictureChecksum&) const = default;
};

struct ManifestItem {
    std::int32_t type = 0;
    std::string file;                   // UTF-8, a plain name in the folder
    std::optional<NameField> nameField; // when the file name does not give it
    Fill fill;                          // after the item's data
    std::optional<std::uint32_t> crc;   // of the file's bytes as extract wrote it
    std::optional<PictureChecksum> png; // the picture written beside the GFP, as x.png
    std::optional<PictureChecksum> tga; // ... as x.tga
    bool operator==(const ManifestItem&) const = default;
};

struct Manifest {
    Fill afterHeader;
    std::size_t directoryAt = 0; // number of items whose data lie before the directory
    Fill afterDirectory;         // after the name table
    std::vector<ManifestItem> items;
    std::string status; // the last line: "exakt", or "nicht exakt: " and why
    bool operator==(const Manifest&) const = default;
};

enum class ManifestError {
    None,
    NotUtf8,
    NoFormatLine,
    UnknownLine,
    BadType,
    BadFill,
    BadString,
    BadFileName,
    BadNameField,
    BadOption,
    VorspannTwice,
    DirectoryTwice,
    NoDirectory,
    NoItems,
    TooManyItems,
    SharedFileWithFill,
    BadChecksum,
    LineTooLong,
    ChecksumOfNoFile,
};

// Reads manifest text. Every line is checked before anything is kept, so a refusal leaves
// out as it was. A refusal's ManifestError names the line at fault (Error::line), or 0 when
// the manifest as a whole is.
Status ParseManifest(std::string_view text, Manifest& out);

// The manifest as text, which ParseManifest reads back to the same value.
std::string WriteManifest(const Manifest& manifest);

// "x.png" (png) or "x.tga" beside "x.gfp" (its extension in any case); empty for a file that is
// no ".gfp".
std::string SidePictureFile(const std::string& gfpFile, bool png);

// The name field a file name gives an item: the name less the type's extension, as Latin-1,
// NUL-padded; nullopt when a character is beyond Latin-1 or the name is longer than 256 bytes.
std::optional<NameField> NameFieldFromFile(std::string_view file, std::int32_t type);

} // namespace varnox
