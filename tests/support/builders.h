#pragma once
// Builders for the test inputs: RES archives, GFP files, and a temporary folder.

#include "fileio/fileio.h"
#include "formats/bytes.h"
#include "formats/describe.h"

#include <cstdint>
#include <gtest/gtest.h>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace varnox::test {

// The reason a status failed with, as the user reads it; empty when it did not fail.
inline std::string ReasonOf(const Status& status)
{
    return status.ok() ? std::string() : Describe(status.error());
}

// A folder under the system's temporary folder, removed with everything in it.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const Path& path() const { return path_; }
    Path operator/(const std::string& name) const { return path_ / name; }

  private:
    Path path_;
};

// The bytes of a text, for file contents written and compared by the tests.
inline Bytes Text(std::string_view s)
{
    return Bytes(s.begin(), s.end());
}

// count bytes of a fixed pseudo-random sequence: the same for the same seed in every run.
Bytes RandomBytes(std::size_t count, std::uint32_t seed);

void WriteBytes(const Path& path, const Bytes& bytes);
Bytes ReadBytes(const Path& path); // empty when missing
Bytes Concat(std::initializer_list<Bytes> parts);

// Pixel bytes of a test pattern: width x height pixels of bytesPerPixel bytes.
Bytes PatternPixels(std::int32_t width, std::int32_t height, std::int32_t bytesPerPixel,
                    std::uint32_t seed = 1);

// RGB565 pixel bytes of a photograph's likeness: smooth colour fields with noise of up to
// noise steps of 8 bits in each channel, which zlib packs to about two thirds (at 4096 x 4096,
// a stream of more than 20 MB with the default noise).
Bytes PhotoPixels(std::int32_t width, std::int32_t height, std::uint32_t seed = 1, int noise = 8);

struct GfpSpec {
    std::int32_t width = 4;
    std::int32_t height = 2;
    std::int32_t bitsPerPixel = 16;
    Bytes pixels;           // raw pixel bytes; PatternPixels when empty
    bool compressed = true; // zlib payload (compression 11) or raw pixels
    std::uint8_t rawMark = 0;
    std::uint8_t filler = 0; // value of the uninterpreted header bytes (0: zero; else a pattern)
    std::optional<std::int32_t> storedSize; // overrides the computed field
    std::optional<std::int32_t> rawSize;    // overrides the computed field
};

// A GFP file: "NALP", 52-byte picture block, "NALP", 72-byte pixel block, payload.
Bytes MakeGfp(const GfpSpec& spec);
inline Bytes MakeGfp()
{
    return MakeGfp(GfpSpec{});
}

// A compressed 16-bit GFP of width x height with the pattern pixels.
inline Bytes PlainGfp(std::int32_t width, std::int32_t height)
{
    GfpSpec spec;
    spec.width = width;
    spec.height = height;
    return MakeGfp(spec);
}

struct ResItemSpec {
    std::int32_t type = 14;
    std::string name;                   // raw Latin-1 bytes; cut or padded with NUL to 256
    Bytes data;                         // item bytes, stored after the name table
    std::optional<std::int32_t> offset; // overrides the item's real offset
    bool fullName = false;              // the name fills all 256 bytes (no NUL)
};

struct ResLayout {
    bool directoryFirst = true;             // directory at 12, data after the names; else data first
    std::optional<std::int32_t> itemCount;  // overrides the header field
    std::optional<std::int32_t> dataOffset; // overrides the header field
};

// A RES archive: "RESF", itemCount, dataOffset, then directory, names and item data.
Bytes MakeRes(const std::vector<ResItemSpec>& items, const ResLayout& layout = {});

// Offsets of the parts MakeRes laid out for the same arguments.
struct ResOffsets {
    std::int32_t dataOffset = 0;
    std::int32_t infoOffset = 0;
    std::vector<std::int32_t> itemOffsets;
};
ResOffsets LayoutRes(const std::vector<ResItemSpec>& items, const ResLayout& layout = {});

// A RES archive laid out part by part in the order of the calls; its directory holds the
// entries in the order of the Entry calls. Names are raw name fields (NUL and junk allowed).
class ResBuilder {
  public:
    // Places bytes; returns a handle for Entry.
    std::size_t Data(Bytes bytes);
    // Places the directory and name table; returns a handle for Entry (an item inside them).
    std::size_t Directory();
    // An entry pointing at the start of placed bytes.
    ResBuilder& Entry(std::int32_t type, const std::string& nameField, std::size_t data);
    // An entry with a fixed offset.
    ResBuilder& EntryAt(std::int32_t type, const std::string& nameField, std::int32_t offset);
    ResBuilder& Item(std::int32_t type, const std::string& nameField, Bytes data)
    {
        return Entry(type, nameField, Data(std::move(data)));
    }
    Bytes Build() const;

  private:
    struct Part {
        Bytes bytes;
        bool directory = false;
    };
    struct Entrant {
        std::int32_t type;
        std::string nameField;
        std::optional<std::size_t> part;
        std::int32_t offset;
    };
    std::vector<Part> parts_;
    std::vector<Entrant> entries_;
};

// File offsets of the GFP fields that tests change by hand.
constexpr std::size_t kGfpWidthAt = 64;
constexpr std::size_t kGfpHeightAt = 68;
constexpr std::size_t kGfpBitsPerPixelAt = 72;
constexpr std::size_t kGfpStoredSizeAt = 96;
constexpr std::size_t kGfpRawSizeAt = 100;
constexpr std::size_t kGfpCompressionAt = 104;

// The file's inode number (0 when missing): the same while a file is kept, not replaced.
std::uint64_t InodeOf(const Path& path);

// Every file and folder below root, as sorted relative paths ("a", "a/b.gfp").
std::vector<std::string> ListTree(const Path& root);

// Every file below root with its bytes, and every folder as "name/" with none, to show
// that a refusal changed, made and removed nothing.
std::map<std::string, Bytes> Snapshot(const Path& root);

// folder / names[k] for k from first to last, within the names: the files a list's
// selection from first to last stands for.
std::vector<Path> PathsOf(const Path& folder, const std::vector<std::string>& names, int first, int last);

// Names TEST_P cases after the name field of their parameter.
struct CaseName {
    template <class P> std::string operator()(const testing::TestParamInfo<P>& info) const
    {
        return info.param.name;
    }
};

} // namespace varnox::test
