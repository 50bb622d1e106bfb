#pragma once
// A picture handed to the user's own editor and taken back: the picture of an archive item
// or of a GFP file written as a PNG into a private folder, the saved PNG compared with it by
// its pixels, and a changed one put back the way replace and png2gfp put a picture back.

#include "formats/module1.h"
#include "jobs/archive.h"
#include "jobs/convert.h"

#include <cstdint>
#include <optional>
#include <string>

namespace varnox::jobs {

// A folder of the caller's own (mode 0700, made with mkdtemp under a base folder) for the
// pictures handed to an editor; removed with its files when the object goes, unless kept.
class EditFolder {
  public:
    EditFolder() = default;
    ~EditFolder();
    EditFolder(const EditFolder&) = delete;
    EditFolder& operator=(const EditFolder&) = delete;

    // Makes the folder prefix + "XXXXXX" in base.
    Status Make(const Path& base, const std::string& prefix = "varnox-edit-");
    const Path& path() const { return path_; }
    // Leaves the folder and its files on disk when the object goes.
    void Keep() { kept_ = true; }
    bool IsKept() const { return kept_; }

  private:
    Path path_;
    bool kept_ = false;
};

// One picture out for editing.
struct EditSession {
    Path source;             // the archive, or the GFP file
    std::int32_t index = -1; // the item's directory index; -1 for a GFP file
    std::string itemName;    // the item's name as UTF-8; empty for a GFP file
    Path png;                // the picture the editor gets
    Path original;           // a copy of the GFP the picture was made from, as last handed out or taken back
    FileIdentity handedOut;  // the source's state when the picture was handed out or last taken back
    FileIdentity pngWritten; // the PNG's state as written: the same later means nobody saved it
    int saves = 0;           // saves taken back so far; after the first, source.bak is the original
};

struct EditStart {
    Status status; // failed: why
    EditSession session;
    ReadRecords records; // the archive's header and directory
};

// Writes the picture of archive's item (a name, or "#N" from 0) as a PNG into folder, each
// file written whole or not at all. Refuses an item that is no picture or is damaged, and an
// archive that could not be written back (write-protected, or in a folder that can't be
// written), before the user does any work on the picture.
EditStart StartItemEdit(const Path& archive, const std::string& item, const Path& folder);
// The same for the GFP file gfp.
EditStart StartGfpEdit(const Path& gfp, const Path& folder);

enum class EditState {
    Unchanged,  // the saved picture has the pixels it was given
    Changed,    // other pixels, or another size
    Unreadable, // no picture the PNG reader takes
};

struct EditCheck {
    EditState state = EditState::Unchanged;
    Status status; // failed for Unreadable, and when the original cannot be read (then Unchanged)
    std::int32_t oldWidth = 0, oldHeight = 0;
    std::int32_t newWidth = 0, newHeight = 0;

    bool SizeChanged() const { return oldWidth != newWidth || oldHeight != newHeight; }
};

// Compares the PNG the editor saved with the picture it was given, pixel by pixel as the
// GFP holds them (RGB565), so that a file saved again by another program is no change.
EditCheck CheckEdit(const EditSession& session);

struct EditResult {
    Status status;          // the archive or GFP stays as it was
    ReplaceResult replaced; // for an archive item
    ReadRecords records;    // what the conversion and the archive's read left
    EditSession session;    // the session as it stands after the apply, for the next save
};

// Puts the saved picture back: into the item through ReplaceItem (backup first, every other
// byte kept), into a GFP file through the conversion png2gfp runs. Refuses, writing nothing,
// when the archive or GFP is no longer as it was handed out (another program changed it).
// The first save of a session keeps the source as source.bak; later ones keep that backup,
// the original. The session's original then holds the new picture, so that the next save
// is compared with it.
// progress, when given, counts the rows of a GFP file's picture as it is packed.
EditResult ApplyEdit(EditSession& session, GfpPacking packing, JobProgress* progress = nullptr);

struct PictureSize {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool operator==(const PictureSize&) const = default;
};

// The size of the picture in file (GFP, TGA or PNG by its extension); nullopt when unreadable.
std::optional<PictureSize> SizeOfPicture(const Path& file);
// The size of the picture of archive's item index, which model describes; nullopt for none.
std::optional<PictureSize> SizeOfItemPicture(const Path& archive, const ArchiveModel& model,
                                             std::size_t index);

// Writes archive's item index, which model describes, as a file into folder, for another
// program to take: a picture as a PNG named after the item, any other item as the bytes of
// its extent with its type's extension. Gives the file written.
Result<Path> WriteItemFile(const Path& archive, const ArchiveModel& model, std::size_t index,
                           const Path& folder);

} // namespace varnox::jobs
