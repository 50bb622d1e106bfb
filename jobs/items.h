#pragma once
// Finding an archive's items, reading a picture item's GFP and making a new one, for
// replace, pack, edit and the windows.

#include "fileio/input_file.h"
#include "formats/archive.h"
#include "formats/gfp.h"
#include "jobs/records.h"

#include <cstdint>
#include <string>
#include <vector>

namespace varnox::jobs {

// The index that text names: "#N" from 0, else the one item of that name.
Result<std::size_t> FindItem(const ArchiveModel& model, const std::string& text);

// The GFP at offset of file (both tags, payload within available bytes), up to its own length.
Result<Bytes> ReadGfpAt(InputFile& file, std::int64_t offset, std::int64_t available);

// The length of each item's data in the archive file, which model describes: a picture's own
// GFP length, as extract takes it, else (and for a damaged picture) its extent; 0 outside the file.
std::vector<std::int64_t> ItemDataLengths(InputFile& file, const ArchiveModel& model);
// The same for the archive at a path; empty when it cannot be opened.
std::vector<std::int64_t> ItemDataLengths(const Path& archive, const ArchiveModel& model);

struct ItemGfp {
    Status status;
    Bytes gfp;
    ReadRecords records; // the TGA's header and the GFP's head, as far as read
};

// The GFP of picture item index of archive, which model describes, up to its own length.
// Refuses another type, an offset outside the file and a damaged picture.
ItemGfp ReadItemGfp(const Path& archive, const ArchiveModel& model, std::size_t index);
// The same from the archive file already open.
ItemGfp ReadItemGfp(InputFile& file, const Path& archive, const ArchiveModel& model, std::size_t index);

// The item's GFP with its picture replaced by the one in pictureFile, its header bytes kept,
// as tga2gfp makes it.
// With in given, pictureFile names a file of that held folder, opened without following a link.
ItemGfp ConvertPictureIntoItemGfp(const Bytes& itemGfp, const Path& pictureFile, GfpPacking packing,
                                  const Folder* in = nullptr);

} // namespace varnox::jobs
