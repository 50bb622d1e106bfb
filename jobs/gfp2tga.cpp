#include "formats/png.h"
#include "jobs/convert.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>

namespace varnox::jobs {

std::string MessageText(const Refusal& refusal)
{
    return refusal.file + ": " + refusal.reason;
}

namespace {

constexpr std::int32_t kMaxTgaSize = 32767;

// The header checks of a GFP that can be converted; empty when it can.
std::optional<Error> UnfitPicture(const GfpPixelHeaderRecord& gfp, const Path& source)
{
    if (gfp.bitsPerPixel() < 7)
        return Error{JobError::BitsPerPixel, source, {}, {}, {std::to_string(gfp.bitsPerPixel())}};
    if (gfp.width() < 0 || gfp.height() < 0)
        return Error{JobError::NegativeSize, source, {}, {}};
    if (gfp.width() > kMaxTgaSize || gfp.height() > kMaxTgaSize)
        return Error{JobError::TooLargeForTga, source, {}, {}};
    return std::nullopt;
}

Refusal CannotWrite(const Path& target, const std::error_code& error)
{
    return RefusalOf(Error{IoError::CannotWrite, target, error, {}});
}

std::unique_ptr<RowSink> MakeSink(PictureFormat format, AtomicFile& file)
{
    if (format == PictureFormat::Png)
        return MakePngSink(file);
    return MakeTgaSink(file);
}

enum class Outcome { Written, Kept, Cancelled, Refused };

struct OneResult {
    Outcome outcome = Outcome::Written;
    Refusal refusal; // when Refused
};

OneResult Refused(Refusal refusal)
{
    return {Outcome::Refused, std::move(refusal)};
}

// What one batch carries from file to file.
struct Batch {
    const GfpToTgaOptions& options;
    bool severalFiles = false;
    bool replaceAll = false; // the answer YesToAll was given
};

// Converts one GFP; a refusal, a cancel or the answer No leaves every file as it was. A
// damaged GFP is named before a target that cannot be written.
OneResult ConvertOne(Module1& module, const Path& source, const Path& target, Batch& batch)
{
    JobProgress* progress = batch.options.progress;
    JobProgress* rows = batch.severalFiles ? nullptr : progress;
    GfpSource gfp;
    if (auto status = gfp.Open(source, module.GfpPictureHeader, module.GfpPixelHeader); !status)
        return Refused(RefusalOf(status.error()));
    if (auto unfit = UnfitPicture(module.GfpPixelHeader, source)) {
        if (auto status = gfp.Drain(); !status)
            return Refused(RefusalOf(status.error()));
        return Refused(RefusalOf(*unfit));
    }
    AtomicFile file;
    if (!file.Open(target)) {
        if (auto status = gfp.Drain(); !status)
            return Refused(RefusalOf(status.error()));
        return Refused(CannotWrite(target, file.error()));
    }
    if (rows != nullptr)
        rows->Start(gfp.Info().height);
    const auto rowDone = [&](std::int32_t row) {
        if (rows != nullptr)
            rows->SetDone(row);
        return !Cancelled(progress);
    };
    const std::unique_ptr<RowSink> sink = MakeSink(batch.options.format, file);
    if (auto status = CopyRows(gfp, *sink, rowDone); !status) {
        if (status.error().code == ErrorCode{IoError::Cancelled})
            return {Outcome::Cancelled, {}};
        if (std::holds_alternative<IoError>(status.error().code))
            return Refused(CannotWrite(target, file.error() ? file.error() : status.error().system));
        Error error = status.error();
        error.file = source;
        return Refused(RefusalOf(error));
    }
    if (Cancelled(progress))
        return {Outcome::Cancelled, {}};
    std::error_code ignored;
    if (batch.options.askReplace && !batch.replaceAll && std::filesystem::exists(target, ignored) &&
        !file.MatchesTarget()) {
        switch (batch.options.askReplace(target)) {
        case ReplaceAnswer::Yes: break;
        case ReplaceAnswer::YesToAll: batch.replaceAll = true; break;
        case ReplaceAnswer::No: return {Outcome::Kept, {}};
        case ReplaceAnswer::Cancel: return {Outcome::Cancelled, {}};
        }
        if (Cancelled(progress))
            return {Outcome::Cancelled, {}};
    }
    if (!file.Commit())
        return Refused(CannotWrite(target, file.error()));
    if (batch.options.format == PictureFormat::Tga)
        module.TgaHeader = TgaHeaderFor(static_cast<std::int16_t>(gfp.Info().width),
                                        static_cast<std::int16_t>(gfp.Info().height));
    return {};
}

// Converts one GFP of the folder, after checking its name.
OneResult ConvertNamed(Module1& module, const Path& folder, const std::string& name, Batch& batch)
{
    const Path source = folder / name;
    const std::string targetName = TargetName(name, batch.options.format);
    if (targetName.empty())
        return Refused(RefusalOf(Error{JobError::NotGfpName, source, {}, {}}));
    try {
        return ConvertOne(module, source, folder / targetName, batch);
    } catch (const std::bad_alloc&) {
        return Refused(RefusalOf(Error{IoError::OutOfMemory, source, {}, {}}));
    }
}

} // namespace

std::string TargetName(const std::string& gfpName, PictureFormat format)
{
    if (gfpName.size() < 4)
        return {};
    std::string ending = gfpName.substr(gfpName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending != ".gfp")
        return {};
    return gfpName.substr(0, gfpName.size() - 3) + (format == PictureFormat::Png ? "png" : "tga");
}

Refusal RefusalOf(const Error& error)
{
    return Refusal{PathText(error.file), Describe(error)};
}

GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select)
{
    return ConvertGfpFiles(module, folder, names, first, last, PictureFormat::Tga, select);
}

GfpToTgaResult ConvertGfpFiles(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, PictureFormat format,
                               const std::function<void(int)>& select)
{
    GfpToTgaOptions options;
    options.format = format;
    return ConvertGfpToTga(module, folder, names, first, last, select, options);
}

GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select,
                               const GfpToTgaOptions& options)
{
    GfpToTgaResult result;
    const int count = static_cast<int>(names.size());
    const int from = std::max(first, 0);
    const int to = std::min(last, count - 1);
    Batch batch{options};
    batch.severalFiles = to > from;
    if (batch.severalFiles && options.progress != nullptr)
        options.progress->Start(to - from + 1);
    for (int k = from; k <= to; ++k) {
        if (Cancelled(options.progress)) {
            result.cancelled = true;
            break;
        }
        if (select)
            select(k);
        result.lastIndex = k;
        OneResult one = ConvertNamed(module, folder, names[static_cast<std::size_t>(k)], batch);
        if (batch.severalFiles && options.progress != nullptr)
            options.progress->Advance();
        switch (one.outcome) {
        case Outcome::Written: ++result.written; break;
        case Outcome::Kept:
            ++result.kept;
            result.keptNames.push_back(TargetName(names[static_cast<std::size_t>(k)], batch.options.format));
            break;
        case Outcome::Refused: result.refused.push_back(std::move(one.refusal)); break;
        case Outcome::Cancelled: result.cancelled = true; break;
        }
        if (result.cancelled)
            break;
    }
    return result;
}

} // namespace varnox::jobs
