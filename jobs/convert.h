#pragma once
// GFP -> TGA and TGA -> GFP, shared by the converter window and varnox-cli.

#include "formats/module1.h"
#include "jobs/progress.h"
#include "jobs/records.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace varnox::jobs {

// What a writer of a whole file must find before it replaces it, and what it keeps.
struct WriteGuard {
    // Replace only this state of the file (as it was handed out to an editor); unset: the
    // state found when the writer began.
    std::optional<FileIdentity> expected;
    Backup backup = Backup::Make; // KeepFirst: an existing .bak (a session's original) stays
};

// What a GFP is converted into.
enum class PictureFormat { Tga, Png };

// The GFP name less its last 3 characters, then the new extension; empty for a name not
// ending in ".gfp", so that no other file (the source itself, say) can be taken as the
// file to write.
std::string TargetName(const std::string& gfpName, PictureFormat format);

// What became of one file of a batch.
enum class FileOutcome { NotStarted, Written, Kept, Refused, Cancelled };

struct GfpToTgaResult {
    int lastIndex = -1;                 // the file converted (or tried) last, as its index in the files
    std::vector<Error> refused;         // in the order met; empty when every file was written
    int written = 0;                    // files written
    int kept = 0;                       // existing files kept on the answer No
    std::vector<std::string> keptNames; // their names, in the files' order
    bool cancelled = false;             // stopped by JobProgress::Cancel or the answer Cancel
    std::vector<FileOutcome> outcomes;  // one per file, in their order
    ReadRecords records;                // of the file converted last
};

// The answer to "replace this file?".
enum class ReplaceAnswer { Yes, No, YesToAll, Cancel };

// Asked with the path of an existing file that the new one would replace and that differs
// from it, once the new file is complete and before it replaces the old one.
using ReplaceQuestion = std::function<ReplaceAnswer(const Path& target)>;

// How a batch of GFPs is converted.
struct BatchOptions {
    PictureFormat format = PictureFormat::Tga;
    unsigned workers = 1;
    // Files done and the furthest file started as Current (the rows of a single file); a
    // cancel starts no further file and stops those in hand, leaving them as they were.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking. Asked one question at a time, on
    // the worker that met the differing file; "Ja, alle" and "Abbrechen" hold for every worker.
    ReplaceQuestion askReplace;
};

// Converts each GFP into options.format beside it (X.tga or X.png beside X.gfp), in order, on a
// pool of workers (one: on the calling thread), each with its own buffers. A refused file
// leaves an existing file of its target name as it was and stops no other. A file whose target
// exists starts only once every earlier such file is finished (until "Ja, alle"), so that no
// later file is written before a question is answered and none after "Abbrechen". Refusals
// come in the order of gfps; the records are those of the furthest file started.
GfpToTgaResult ConvertGfpFiles(const std::vector<Path>& gfps, const BatchOptions& options = {});

// Converts the one GFP gfp into target, whatever their names; a refusal or a cancel
// (IoError::Cancelled) leaves target as it was. progress counts the picture's rows.
Status ConvertGfpFile(const Path& gfp, const Path& target, PictureFormat format,
                      JobProgress* progress = nullptr);

// The stages of TGA/PNG -> GFP, told through JobProgress::SetStage.
enum class TgaToGfpStage { Analysing, Packing };

// The status text of a stage in the user's language: "Analysiere tga und gfp", "Packe Daten".
std::string StageText(TgaToGfpStage stage);

struct TgaToGfpResult {
    Status status;          // failed; IoError::Cancelled when cancelled
    bool cancelled = false; // stopped by JobProgress::Cancel; every file as it was
    ReadRecords records;    // the GFP's head and the TGA's header, as far as read
    FileIdentity written;   // when ok: the state of the target as it is now
};

// Replaces the picture of the GFP target by the picture source (format: TGA or PNG), after copying the target
// to target + ".bak" (with its permissions). A target that holds the new bytes already is left as it is, and
// so is its backup. Refuses, touching no file, a target without both tags or that may not be rewritten, and a
// source the TGA reader refuses. progress, when given, is told each stage (TgaToGfpStage) and counts the rows
// read; a cancel before the backup is made leaves every file as it was. The picture written for a PNG equals
// the one written for a TGA of the same pixels. guard, when given, pins the target's state and chooses how
// its backup is kept.
TgaToGfpResult ConvertPictureToGfp(const Path& source, PictureFormat format, const Path& target,
                                   GfpPacking packing, JobProgress* progress = nullptr,
                                   const WriteGuard& guard = {});

// The number of workers when none is asked for: one per core.
unsigned DefaultWorkers();

} // namespace varnox::jobs
