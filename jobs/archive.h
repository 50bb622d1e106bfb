#pragma once
// The archive round trip: every item out into a folder with its manifest, such a folder
// packed into an archive again, and one picture item replaced inside an archive.

#include "formats/archive.h"
#include "formats/manifest.h"
#include "jobs/convert.h"

#include <string>
#include <vector>

namespace varnox::jobs {

struct ExtractResult {
    Status status;                     // failed: item files already written stay
    int written = 0;                   // item files written
    std::vector<std::string> notes;    // items written under another name or as raw bytes
    std::vector<std::string> replaced; // files of the folder replaced by different content
    std::vector<std::string> notKept;  // what packing the folder unchanged would not give back
    std::vector<std::string> edited;   // pictures changed since extract wrote them (EditedFiles)
    std::string summary;               // the manifest's last line: "exakt" or what is not kept
    ReadRecords records;               // the archive's header and directory
};

// Where extract writes by default: the unpack folder beside the archive; empty when the
// archive's name leaves no folder name of its own ("...res").
Path ExtractFolder(const Path& archive);

// Writes every item of archive into folder (a real folder, made when missing; never a link):
// pictures as unpack writes them, the other items as their extent's bytes, each named after
// the item with its type's extension, the data of items that share them once; then the
// manifest, last. An earlier manifest is removed before the first file is written. Refuses an
// archive the reader refuses without writing. With only given (directory indices), just those
// items are written, and no manifest, since the folder could not be packed into the archive
// again. askReplace, when given, is asked before a file of different content is replaced; a
// file kept or a cancel leaves the folder without manifest.
// With pictures given, an extract also writes each picture item it writes as a PNG or TGA of the
// same stem beside its GFP (SidePicture), and the manifest keeps the checksums pack compares.
// A picture beside a GFP that the folder's manifest says extract wrote and that was changed
// since (its bytes and its pixels differ from those recorded), or one put where extract could
// write none, is edited: with EditedFiles::Refuse the extract names them all in edited and
// refuses before anything is written; with Replace they are replaced as any file that differs.
enum class SidePicture;
enum class EditedFiles { Refuse, Replace };
ExtractResult ExtractArchive(const Path& archive, const Path& folder,
                             const std::vector<std::size_t>& only = {},
                             const ReplaceQuestion& askReplace = {}, SidePicture pictures = {},
                             EditedFiles edited = EditedFiles::Refuse, JobProgress* progress = nullptr);

struct PackResult {
    Status status;          // failed; IoError::Cancelled when cancelled
    bool cancelled = false; // stopped by JobProgress::Cancel; the archive as it was
    int items = 0;
};

// Builds archive from the manifest in folder and the files it names, items in manifest
// order, the data of a file named by several items once. Refuses a damaged manifest, a
// missing file, one that is no regular file of the folder (a link, FIFO or device), more than
// 32767 items, data beyond the 32-bit offsets and an archive inside the folder before writing
// anything; an existing archive is kept as archive.bak.
// A picture item's GFP with a PNG or TGA of the same stem beside it is laid down as
// ChooseSidePicture decides: the GFP as it is, or the picture converted into the GFP's head
// with packing.
// progress, when given, counts the items laid down; a cancel leaves the archive as it was.
PackResult PackArchive(const Path& folder, const Path& archive, GfpPacking packing = GfpPacking::Zlib,
                       JobProgress* progress = nullptr);

struct ReplaceResult {
    Status status; // failed: why
    std::int32_t index = -1;
    bool inPlace = false;    // the new data fit the item's extent
    std::int32_t offset = 0; // where the item's data lie now
    ReadRecords records;     // the archive's, and the picture's as far as converted
    FileIdentity written;    // when ok: the state of the archive as it is now
};

// Replaces the data of picture item (a name, or "#N" from 0) by picture: a GFP taken as it
// is, or a TGA or PNG converted into the item's own GFP. Data that fit the item's extent are written
// there (the rest of it zeroed); others go to the end of the file and the entry points there.
// Every other byte stays; the old archive is kept as archive.bak; refusals touch nothing.
ReplaceResult ReplaceItem(const Path& archive, const std::string& item, const Path& picture,
                          GfpPacking packing, const WriteGuard& guard = {});

} // namespace varnox::jobs
