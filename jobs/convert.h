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

// One file that a conversion refused or failed on.
struct Refusal {
    std::string file;   // path as UTF-8
    std::string reason; // in the user's language, with the system's reason where a file operation failed
};

// "file: reason", as messages and the command line show a refusal.
std::string MessageText(const Refusal& refusal);

// The refusal an error value describes.
Refusal RefusalOf(const Error& error);

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
    std::vector<Refusal> refused;       // in the order met; empty when every file was written
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

struct GfpToTgaOptions {
    PictureFormat format = PictureFormat::Tga;
    // Rows of the picture for one file, files for several, and the file in hand as Current;
    // a cancel stops before the next file replaces anything, and the file in hand stays as
    // it was.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking.
    ReplaceQuestion askReplace;
};

// Converts each GFP into options.format beside it (X.tga or X.png beside X.gfp), in order. A
// refused file leaves an existing file of its target name as it was; the others are still
// converted.
GfpToTgaResult ConvertGfpFiles(const std::vector<Path>& gfps, const GfpToTgaOptions& options = {});

// The stages of TGA/PNG -> GFP, told through JobProgress::SetStage.
enum class TgaToGfpStage { Analysing, Packing };

// The status text of a stage in the user's language: "Analysiere tga und gfp", "Packe Daten".
std::string StageText(TgaToGfpStage stage);

struct TgaToGfpResult {
    bool ok = false;
    bool cancelled = false; // stopped by JobProgress::Cancel; every file as it was
    Refusal refusal;        // when !ok and not cancelled
    ReadRecords records;    // the GFP's head and the TGA's header, as far as read
    FileIdentity written;   // when ok: the state of the target as it is now
};

// Replaces the picture of the GFP target by the TGA source, after copying the target to
// target + ".bak" (with its permissions). A target that holds the new bytes already is left
// as it is, and so is its backup. Refuses, touching no file, a target without both tags or
// that may not be rewritten, and a source the TGA reader refuses. A source ending in ".png"
// (any case) is read as a PNG, any other as a TGA. progress, when given, is told each stage
// (TgaToGfpStage) and counts the rows read; a cancel before the backup is made leaves every
// file as it was.
TgaToGfpResult ConvertTgaToGfp(const Path& source, const Path& target, bool uncompressed,
                               JobProgress* progress = nullptr);

// The same with the source's format given: the picture written for a PNG equals the one
// written for a TGA of the same pixels.
TgaToGfpResult ConvertPictureToGfp(const Path& source, PictureFormat format, const Path& target,
                                   GfpPacking packing, JobProgress* progress = nullptr,
                                   const WriteGuard& guard = {});

// GFP -> TGA or PNG of many files on a pool of worker threads, with the results in the
// order of the files.
struct BatchOptions {
    PictureFormat format = PictureFormat::Tga;
    unsigned workers = 1;
    // Files done and the furthest file started as Current; a cancel starts no further file
    // and stops those in hand, leaving them as they were.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking. Asked one question at a time, on
    // the worker that met the differing file; "Ja, alle" and "Abbrechen" hold for every worker.
    ReplaceQuestion askReplace;
};

// Converts each GFP as ConvertGfpFiles does, on a pool of workers (one: on the calling
// thread), each with its own buffers. A refused file stops no other. A file whose target
// exists starts only once every earlier such file is finished (until "Ja, alle"), so that no
// later file is written before a question is answered and none after "Abbrechen". Refusals
// come in the order of gfps; the records are those of the furthest file started.
GfpToTgaResult ConvertGfpFilesParallel(const std::vector<Path>& gfps, const BatchOptions& options);

// The number of workers when none is asked for: one per core.
unsigned DefaultWorkers();

} // namespace varnox::jobs
