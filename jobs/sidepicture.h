#pragma once
// Pictures beside the GFPs of an extracted archive: extract writes each picture item also as
// a PNG or TGA of the same stem, and pack takes such a picture where the user changed it.

#include "formats/manifest.h"
#include "jobs/archive.h"

#include <optional>
#include <string>

namespace varnox::jobs {

enum class SidePicture { None = 0, Png, Tga };

// "x.png" or "x.tga" for "x.gfp"; empty for a file that is no ".gfp".
std::string SidePictureName(const std::string& gfpFile, SidePicture kind);

// Writes the GFP gfpFile of folder (path names it in errors) as the picture kind beside it,
// whole or not at all, and gives the CRC-32 of the GFP file and of its RGB565 rows.
Status WriteSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile, SidePicture kind,
                        PictureChecksum& sums);

// What pack lays down for a picture item's file.
struct SideChoice {
    bool ok = false;
    Refusal refusal;     // when !ok
    std::string picture; // the PNG or TGA taken; empty when the GFP is taken as it is
};

// Decides for item's GFP of folder: the picture beside it when its pixels changed and the GFP
// did not (by the manifest's checksum; without one, when its pixels differ from the GFP's),
// the GFP when the picture is unchanged or shows the GFP's pixels. Refuses both changed, a
// picture that is no regular file of the folder and one that cannot be read. label names the
// item ("#3").
SideChoice ChooseSidePicture(const Folder& folder, const Path& path, const ManifestItem& item,
                             const std::string& label);

// The item's GFP of folder with its picture replaced by the picture beside it, converted as
// replace converts.
ItemGfp ConvertSidePicture(const Folder& folder, const Path& path, const std::string& gfpFile,
                           const std::string& picture, GfpPacking packing);

} // namespace varnox::jobs
