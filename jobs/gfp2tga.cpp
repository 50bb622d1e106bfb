#include "formats/png.h"
#include "formats/text.h"
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
    Refusal refusal;     // when Refused
    ReadRecords records; // the headers read
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
OneResult ConvertOne(const Path& source, const Path& target, Batch& batch, ReadRecords& records)
{
    JobProgress* progress = batch.options.progress;
    JobProgress* rows = batch.severalFiles ? nullptr : progress;
    GfpSource gfp;
    GfpHead head;
    if (auto status = gfp.Open(source, head.picture, head.pixel); !status)
        return Refused(RefusalOf(status.error()));
    records.gfpHead = head;
    if (auto unfit = UnfitPicture(head.pixel, source)) {
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
        records.tgaHeader = TgaHeaderFor(static_cast<std::int16_t>(gfp.Info().width),
                                         static_cast<std::int16_t>(gfp.Info().height));
    return {};
}

// Converts one GFP, after checking its name; an exception becomes the file's refusal, so
// that no worker dies of it.
OneResult ConvertNamed(const Path& gfp, Batch& batch)
{
    const Path folder = gfp.parent_path();
    const std::string name = gfp.filename().string();
    const Path source = folder / name;
    const std::string targetName = TargetName(name, batch.options.format);
    if (targetName.empty())
        return Refused(RefusalOf(Error{JobError::NotGfpName, source, {}, {}}));
    OneResult one;
    try {
        ReadRecords records;
        one = ConvertOne(source, folder / targetName, batch, records);
        one.records = std::move(records);
    } catch (const std::bad_alloc&) {
        return Refused(RefusalOf(Error{IoError::OutOfMemory, source, {}, {}}));
    } catch (const std::exception& e) {
        return Refused({PathText(source), Translate(e.what())});
    }
    return one;
}

FileOutcome OutcomeOf(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Written: return FileOutcome::Written;
    case Outcome::Kept: return FileOutcome::Kept;
    case Outcome::Cancelled: return FileOutcome::Cancelled;
    case Outcome::Refused: break;
    }
    return FileOutcome::Refused;
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

GfpToTgaResult ConvertGfpFiles(const std::vector<Path>& gfps, const GfpToTgaOptions& options)
{
    GfpToTgaResult result;
    const int count = static_cast<int>(gfps.size());
    result.outcomes.assign(gfps.size(), FileOutcome::NotStarted);
    Batch batch{options};
    batch.severalFiles = count > 1;
    if (batch.severalFiles && options.progress != nullptr)
        options.progress->Start(count);
    for (int k = 0; k < count; ++k) {
        if (Cancelled(options.progress)) {
            result.cancelled = true;
            break;
        }
        if (options.progress != nullptr)
            options.progress->SetCurrent(k);
        result.lastIndex = k;
        const auto file = static_cast<std::size_t>(k);
        OneResult one = ConvertNamed(gfps[file], batch);
        if (batch.severalFiles && options.progress != nullptr)
            options.progress->Advance();
        result.outcomes[file] = OutcomeOf(one.outcome);
        Overlay(result.records, one.records);
        switch (one.outcome) {
        case Outcome::Written: ++result.written; break;
        case Outcome::Kept:
            ++result.kept;
            result.keptNames.push_back(TargetName(gfps[file].filename().string(), batch.options.format));
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
