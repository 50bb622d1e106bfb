#pragma once
// Pictures beside the GFPs of an extracted archive: extract writes each picture item also as
// a PNG or TGA of the same stem, and pack takes such a picture where the user changed it.

#include "formats/manifest.h"
#include "jobs/archive.h"
#include "jobs/items.h"

#include <optional>
#include <string>

namespace varnox::jobs {

enum class SidePicture { None = 0, Png, Tga };

// "x.png" or "x.tga" for "x.gfp"; empty for a file that is no ".gfp".
std::string SidePictureName(const std::string& gfpFile, SidePicture kind);

// The side picture of that kind the manifest's item records; nullopt when extract wrote none.
std::optional<PictureChecksum> RecordedSidePicture(const ManifestItem& item, SidePicture kind);

// Writes the GFP gfpFile of folder (path names it in errors) as the picture kind beside it
// into out, left for the caller to commit, and gives the CRC-32 of its RGB565 rows. With
// gfpBytes given (the file's bytes, as the caller wrote them), those are read instead.
Status WriteSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile, SidePicture kind,
                        AtomicFile& out, std::uint32_t& pixels, std::span<const std::uint8_t> gfpBytes = {});

// The CRC-32 of the bytes of the regular file name of folder (path names the folder in errors).
Result<std::uint32_t> FileCrc(const Folder& folder, const Path& path, const std::string& name);
// The CRC-32 of the bytes written into out so far, read back before its commit; file names it
// in an error.
Result<std::uint32_t> WrittenCrc(const AtomicFile& out, const Path& file);

// The CRC-32 of the RGB565 rows of the picture file name of folder.
Result<std::uint32_t> PixelCrc(const Folder& folder, const Path& path, const std::string& name);

// What pack lays down for a picture item's file: the PNG or TGA taken, or empty when the GFP
// is taken as it is. Decides for item's GFP of folder among the pictures beside it that the manifest records:
// a picture whose bytes and pixels changed (and do not show the GFP's pixels) is taken when
// the GFP is as extract wrote it (by its CRC; without one, it counts as unchanged); else the
// GFP. Refuses two changed (the GFP and a picture, or both pictures), a recorded picture that
// is no regular file of the folder and one that cannot be read. label names the item ("#3").
Result<std::string> ChooseSidePicture(const Folder& folder, const Path& path, const ManifestItem& item,
                                      const std::string& label);

// The item's GFP of folder with its picture replaced by the picture beside it, converted as
// replace converts.
ItemGfp ConvertSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile,
                           const std::string& picture, GfpPacking packing);

} // namespace varnox::jobs
