#pragma once
// GFP -> TGA and TGA -> GFP, shared by the converter window and varnox-cli.

#include "formats/module1.h"
#include "jobs/progress.h"

#include <functional>
#include <string>
#include <vector>

namespace varnox::jobs {

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

struct GfpToTgaResult {
    int lastIndex = -1;                 // the entry converted (or tried) last
    std::vector<Refusal> refused;       // in the order met; empty when every file was written
    int written = 0;                    // files written
    int kept = 0;                       // existing files kept on the answer No
    std::vector<std::string> keptNames; // their names, in list order
    bool cancelled = false;             // stopped by JobProgress::Cancel or the answer Cancel
};

// The answer to "replace this file?".
enum class ReplaceAnswer { Yes, No, YesToAll, Cancel };

// Asked with the path of an existing file that the new one would replace and that differs
// from it, once the new file is complete and before it replaces the old one.
using ReplaceQuestion = std::function<ReplaceAnswer(const Path& target)>;

struct GfpToTgaOptions {
    PictureFormat format = PictureFormat::Tga;
    // Rows of the picture for one entry, files for several; a cancel stops before the next
    // file replaces anything, and the file in hand stays as it was.
    JobProgress* progress = nullptr;
    // Unset: an existing file is replaced without asking.
    ReplaceQuestion askReplace;
};

// Converts names[first..last] of folder into TGA files beside them, in order. select(k) is
// called before entry k is converted (the window selects it in its list). A refused file
// leaves an existing TGA of its name as it was; the others are still converted.
GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select = {});

// The same into PNG or TGA files (X.png or X.tga beside each X.gfp).
GfpToTgaResult ConvertGfpFiles(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, PictureFormat format,
                               const std::function<void(int)>& select = {});

// The same, into options.format, telling progress and asking before replacing a file that
// differs.
GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select,
                               const GfpToTgaOptions& options);

enum class TgaToGfpStage { Analysing, Packing };

// The status text of a stage in the user's language: "Analysiere tga und gfp", "Packe Daten".
std::string StageText(TgaToGfpStage stage);

struct TgaToGfpResult {
    bool ok = false;
    bool cancelled = false; // stopped by JobProgress::Cancel; every file as it was
    Refusal refusal;        // when !ok and not cancelled
};

// Replaces the picture of the GFP target by the TGA source, after copying the target to
// target + ".bak" (with its permissions). A target that holds the new bytes already is left
// as it is, and so is its backup. Refuses, touching no file, a target without both tags or
// that may not be rewritten, and a source the TGA reader refuses. stage() is told each
// stage, progress() each row read. A source ending in ".png" (any case) is read as a PNG,
// any other as a TGA. job, when given, counts the rows read; a cancel before the backup is
// made leaves every file as it was.
TgaToGfpResult ConvertTgaToGfp(Module1& module, const Path& source, const Path& target, bool uncompressed,
                               const std::function<void(TgaToGfpStage)>& stage = {},
                               const TgaProgress& progress = {}, JobProgress* job = nullptr);

// The same with the source's format given: the picture written for a PNG equals the one
// written for a TGA of the same pixels.
TgaToGfpResult ConvertPictureToGfp(Module1& module, const Path& source, PictureFormat format,
                                   const Path& target, GfpPacking packing,
                                   const std::function<void(TgaToGfpStage)>& stage = {},
                                   const TgaProgress& progress = {}, JobProgress* job = nullptr);

} // namespace varnox::jobs
