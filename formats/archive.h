#pragma once
// A RES archive as a whole: header, directory with every name field, where each item's data
// lie, and the bytes that nothing claims. Made by the validating reader; no offset stored in
// the archive is trusted beyond the file.

#include "fileio/fileio.h"
#include "formats/module1.h"

#include <string>
#include <string_view>
#include <vector>

namespace varnox {

struct ByteRange {
    std::int64_t offset = 0;
    std::int64_t length = 0;
    std::int64_t end() const { return offset + length; }
};

struct ArchiveItem {
    ResItem entry; // type, offset and the whole 256-byte name field, as stored
    // From offset to the nearest of: the next larger item offset, the directory when it lies
    // above, the end of the file. 0 for an offset outside the file.
    std::int64_t extent = 0;
    bool inFile = false; // 0 <= offset <= file size
    bool shared = false; // another item in the file starts at the same offset
};

struct ArchiveModel {
    ResHeaderRecord header;
    std::int64_t fileSize = 0;
    ByteRange afterHeader; // bytes 12 up to the first item or the directory
    ByteRange tables;      // directory and name table
    std::vector<ArchiveItem> items;
    std::vector<ByteRange> unclaimed; // outside the header, the tables and every extent; in file order

    // True when the item's bytes (its extent, or its offset alone) reach into the header or
    // the tables.
    bool OverlapsTables(std::size_t index) const;
};

// Reads the archive through module's validating reader, so that its records then hold it,
// and works out every extent. On refusal out is unchanged; the error tells the
// system's reason of CannotOpen and ReadFailed.
Status ReadArchive(Module1& module, const Path& path, ArchiveModel& out);
// The same through an open file, which every later read of the archive should use, so that
// all of them see one version of it; path only names it in errors.
Status ReadArchive(Module1& module, InputFile& file, const Path& path, ArchiveModel& out);

// File name extension of an item type: ".gfp" 14, ".sound" 16, ".font" 17, ".sprite" 40,
// ".type<code>" otherwise.
std::string TypeExtension(std::int32_t type);

// True for a name holding a control byte (0x00-0x1F, 0x7F): written into a report or a
// listing, it would forge lines or reach a terminal as a command.
bool HasControlCharacter(std::string_view name);

// True for an item or manifest name that may not become a file name: no plain file name
// (IsPlainFileName), or holding "\" (a folder separator where the archives are made) or a
// control byte.
bool IsUnsafeFileName(std::string_view name);

// A UTF-8 file name with its ASCII and Latin-1 capitals (A-Z, À-Þ but ×) made small: names
// that are equal so are one file on a file system that ignores case.
std::string FoldNameCase(std::string_view name);

} // namespace varnox
