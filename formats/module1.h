#pragma once
// Module1: the records of the last file read of each kind and the routines that fill them.
// The app owns one object shared by both windows; every test makes its own.

#include "fileio/fileio.h"
#include "formats/bytes.h"
#include "formats/gfp.h"
#include "formats/res.h"
#include "formats/tga.h"

#include <system_error>
#include <vector>

namespace varnox {

enum class ExtractError {
    None,
    UnsafeName,
    ControlCharacter,
    CannotOpenArchive,
    BadItemOffset,
    NoTag,
    NoSecondTag,
    HeaderTruncated,
    PayloadLength,
    PayloadPastEnd,
    FolderName,
    FolderNotReal,
    WriteFailed,
    NoSuchItem, // an index beyond ResItems
};

class Module1 {
  public:
    ResHeaderRecord ResHeader;
    std::vector<ResItem> ResItems;
    GfpPictureHeaderRecord GfpPictureHeader;
    GfpPixelHeaderRecord GfpPixelHeader;
    TgaHeaderRecord TgaHeader;

    // Ok when the file begins with "RESF"; else CannotOpen (with the system's reason) or
    // NotRes.
    Status IsResFile(const Path& path);
    // The same through an open file; path only names it in the error.
    Status IsResFile(InputFile& file, const Path& path);

    // Fills ResHeader from the archive; infoOffset is computed with overflow check.
    Status ReadResHeader(const Path& path);
    Status ReadResHeader(InputFile& file, const Path& path);

    // Rebuilds ResItems from the archive after checking that the directory and the name
    // table described by ResHeader lie within the file; on refusal ResItems is unchanged.
    Status ReadResDirectory(const Path& path);
    Status ReadResDirectory(InputFile& file, const Path& path);

    // Reads a GFP into GfpPictureHeader and GfpPixelHeader and sets pixels to its pixel
    // bytes (rawSize bytes whenever rawSize is usable), whatever the outcome; the status
    // tells whether the file was a complete GFP. Blocks not reached keep their earlier content.
    Status ReadGfpPixels(const Path& path, Bytes& pixels);

    // Reads a GFP like ReadGfpPixels, with the same records and outcome, but hands its
    // pixels to sink row by row as they are decompressed, never holding the whole picture.
    // Rows come only when the headers are sound and wanted returns true; rows already
    // handed on do not make the outcome None (a damaged stream may end later).
    Status ReadGfpPixelRows(const Path& path, const GfpRowsWanted& wanted, const GfpRowSink& sink);

    // Copies picture item index of the archive into unpackFolder/<name>.gfp, replacing an
    // existing file whole; the folder is made with the first item written. Refuses unsafe
    // names, names with control characters, damaged items and an unpack folder that is no
    // real folder, without writing anything. The file is not flushed to disk: the caller
    // syncs the folder once after the last item.
    Status ExtractItem(const Path& archive, FolderOnFirstUse& unpackFolder, std::int16_t index);

    // Reads a TGA into TgaHeader and returns its picture as RGB565 bytes, top row first.
    // progress is told the rows done before each row is built and once at the end.
    Result<Bytes> ReadTgaAsRgb565(const Path& path, const RowProgress& progress = {});
};

} // namespace varnox
