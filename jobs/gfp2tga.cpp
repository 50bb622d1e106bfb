#include "formats/rgb565.h"
#include "jobs/convert.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cctype>
#include <cstring>
#include <memory>
#include <optional>

namespace varnox::jobs {

std::string MessageText(const Refusal& refusal)
{
    return refusal.file + ": " + refusal.reason;
}

namespace {

constexpr std::uint8_t kTgaTrueColour = 2;
constexpr std::uint8_t kTgaDepth = 24;
constexpr std::int32_t kMaxTgaSize = 32767;

// The GFP name less its last 3 characters, then "tga"; empty for a name not ending in ".gfp",
// so that no other file (the source itself, say) can be taken as the TGA to write.
std::string TgaName(const std::string& gfpName)
{
    if (gfpName.size() < 4)
        return {};
    std::string ending = gfpName.substr(gfpName.size() - 4);
    std::transform(ending.begin(), ending.end(), ending.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (ending != ".gfp")
        return {};
    return gfpName.substr(0, gfpName.size() - 3) + "tga";
}

// The TGA bytes of a 16-bit pixel value widened by the system's rule, blue in the low byte,
// then green, then red, so that one little-endian store writes a pixel (the fourth byte is
// overwritten by the next pixel).
std::uint32_t Widened(std::int32_t v)
{
    const auto blue = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Blue5(v))));
    const auto green = static_cast<std::uint8_t>(Expand6To8(static_cast<std::int16_t>(Green6(v))));
    const auto red = static_cast<std::uint8_t>(Expand5To8(static_cast<std::int16_t>(Red5(v))));
    return std::uint32_t{blue} | std::uint32_t{green} << 8 | std::uint32_t{red} << 16;
}

// The widening split by pixel byte: blue and the low three bits of green (with the odd
// bit's fill) come from the low byte, the high three bits of green and red from the high
// byte, so widened(v) = low[v & 255] | high[v >> 8]. Two 1 KiB tables stay in the
// first-level cache where one of 65536 entries (256 KiB) would not.
struct WideningTables {
    std::array<std::uint32_t, 256> low{};
    std::array<std::uint32_t, 256> high{};
    WideningTables()
    {
        for (std::int32_t b = 0; b < 256; ++b) {
            low[static_cast<std::size_t>(b)] = Widened(b);
            high[static_cast<std::size_t>(b)] = Widened(b << 8);
        }
    }
    std::uint32_t operator()(std::uint8_t lowByte, std::uint8_t highByte) const
    {
        return low[lowByte] | high[highByte];
    }
};

const WideningTables& Widening()
{
    static const WideningTables tables;
    return tables;
}

inline void Put4(std::uint32_t entry, std::uint8_t* out)
{
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(out, &entry, 4);
    } else {
        out[0] = static_cast<std::uint8_t>(entry);
        out[1] = static_cast<std::uint8_t>(entry >> 8);
        out[2] = static_cast<std::uint8_t>(entry >> 16);
    }
}

// Widens one row of GFP pixels into out (blue, green, red per pixel). Every pixel but the
// last is one 4-byte store whose fourth byte the next pixel overwrites; the last is stored
// byte by byte, since the TGA is bottom row first and rows arrive top first: the bytes
// after a row already hold the row above it. A pixel of more than two bytes is taken by
// its last two.
void WidenRow(std::span<const std::uint8_t> in, std::size_t width, std::size_t bytesPerPixel, std::uint8_t* out)
{
    const WideningTables& widen = Widening();
    const std::uint8_t* p = in.data() + (bytesPerPixel >= 2 ? bytesPerPixel - 2 : 0);
    const auto value = [&](std::size_t x) -> std::uint32_t {
        if (bytesPerPixel == 1)
            return widen(in[x], 0);
        return widen(p[x * bytesPerPixel], p[x * bytesPerPixel + 1]);
    };
    if (bytesPerPixel == 2) {
        for (std::size_t x = 0; x + 1 < width; ++x, out += 3)
            Put4(widen(in[2 * x], in[2 * x + 1]), out);
    } else {
        for (std::size_t x = 0; x + 1 < width; ++x, out += 3)
            Put4(value(x), out);
    }
    const std::uint32_t last = value(width - 1);
    out[0] = static_cast<std::uint8_t>(last);
    out[1] = static_cast<std::uint8_t>(last >> 8);
    out[2] = static_cast<std::uint8_t>(last >> 16);
}

// The header checks of a GFP that can be converted; empty when it can.
std::optional<std::string> UnfitPicture(const GfpPixelHeaderRecord& gfp)
{
    if (gfp.bitsPerPixel() < 7)
        return "bitsPerPixel " + std::to_string(gfp.bitsPerPixel()) + " ist kleiner als 7 (keine ganzen Bytes je Pixel)";
    if (gfp.width() < 0 || gfp.height() < 0)
        return "Breite oder Höhe ist negativ";
    if (gfp.width() > kMaxTgaSize || gfp.height() > kMaxTgaSize)
        return "Breite oder Höhe ist größer als 32767, zu groß für eine TGA-Datei";
    return std::nullopt;
}

constexpr std::size_t kBlockBytes = 256 * 1024; // TGA bytes widened between two writes

// The TGA being written while the GFP is decompressed. Rows come top first and the TGA
// holds them bottom first, so a block of consecutive rows is widened into one buffer in
// file order and written at its place with one call; the whole picture is never held.
class TgaWriter {
  public:
    // With compare set, each piece written is compared with the same bytes of the existing
    // target, so that Replaces() can tell whether committing would change it.
    explicit TgaWriter(bool compare = false, JobProgress* rows = nullptr, const JobProgress* cancel = nullptr)
        : compare_(compare), rows_(rows), cancel_(cancel)
    {
    }

    // False when the target cannot be written; the picture is then only checked.
    bool Start(const Path& target, const GfpPixelHeaderRecord& gfp)
    {
        width_ = static_cast<std::size_t>(gfp.width());
        height_ = static_cast<std::size_t>(gfp.height());
        bytesPerPixel_ = static_cast<std::size_t>(BytesPerPixel(gfp.bitsPerPixel()));
        header.setPixelDepth(kTgaDepth);
        header.setImageType(kTgaTrueColour);
        header.setWidth(CheckedNarrow16(gfp.width()));
        header.setHeight(CheckedNarrow16(gfp.height()));
        const std::size_t rowBytes = width_ * 3;
        rowsPerBlock_ = rowBytes == 0 ? 1 : std::max<std::size_t>(1, kBlockBytes / rowBytes);
        block_.resize(std::min(rowsPerBlock_, height_) * rowBytes);
        if (compare_)
            StartComparing(target, static_cast<std::int64_t>(kTgaHeaderSize + height_ * rowBytes));
        if (rows_ != nullptr)
            rows_->Start(static_cast<std::int64_t>(height_));
        return file_.Open(target) && Put(0, header.bytes);
    }

    void Row(std::int32_t index, std::span<const std::uint8_t> bytes)
    {
        // The rest of the stream is still read to its end, but nothing more is made of it.
        if (Cancelled(cancel_))
            return;
        const auto row = static_cast<std::size_t>(index);
        if (row % rowsPerBlock_ == 0)
            blockEnd_ = std::min(row + rowsPerBlock_, height_);
        const std::size_t rowBytes = width_ * 3;
        WidenRow(bytes, width_, bytesPerPixel_, block_.data() + (blockEnd_ - 1 - row) * rowBytes);
        if (row + 1 == blockEnd_) {
            const std::size_t rows = blockEnd_ - (blockEnd_ - 1) / rowsPerBlock_ * rowsPerBlock_;
            const std::size_t fileRow = height_ - blockEnd_;
            Put(static_cast<std::int64_t>(kTgaHeaderSize + fileRow * rowBytes),
                std::span<const std::uint8_t>(block_.data(), rows * rowBytes));
        }
        if (rows_ != nullptr)
            rows_->Advance();
    }

    // True when the target exists and the new file differs from it (or it cannot be read).
    bool Replaces() const { return existed_ && !same_; }

    bool Commit() { return file_.Commit(); }
    const std::error_code& error() const { return file_.error(); }

    TgaHeaderRecord header;

  private:
    void StartComparing(const Path& target, std::int64_t newSize)
    {
        std::error_code ignored;
        existed_ = std::filesystem::exists(target, ignored);
        same_ = existed_ && old_.Open(target) && old_.Size() == newSize;
        if (!same_)
            old_.Close();
    }

    bool Put(std::int64_t offset, std::span<const std::uint8_t> bytes)
    {
        if (same_) {
            scratch_.resize(bytes.size());
            same_ = old_.ReadAt(offset, scratch_) && std::equal(bytes.begin(), bytes.end(), scratch_.begin());
            if (!same_)
                old_.Close();
        }
        return file_.WriteAt(offset, bytes);
    }

    AtomicFile file_;
    bool compare_ = false;
    JobProgress* rows_ = nullptr;
    const JobProgress* cancel_ = nullptr;
    InputFile old_;
    bool existed_ = false;
    bool same_ = false;
    Bytes scratch_;
    std::size_t width_ = 0;
    std::size_t height_ = 0;
    std::size_t bytesPerPixel_ = 0;
    std::size_t rowsPerBlock_ = 1;
    std::size_t blockEnd_ = 0;
    Bytes block_;
};

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
    const bool asking = static_cast<bool>(batch.options.askReplace) && !batch.replaceAll;
    TgaWriter tga(asking, batch.severalFiles ? nullptr : progress, progress);
    bool writing = false;
    const auto wanted = [&](const GfpPixelHeaderRecord& gfp) {
        writing = !UnfitPicture(gfp) && !Cancelled(progress) && tga.Start(target, gfp);
        return writing;
    };
    const auto row = [&](std::int32_t index, std::span<const std::uint8_t> bytes) { tga.Row(index, bytes); };

    const GfpError gfpError = module.ReadGfpPixelRows(source, wanted, row);
    if (gfpError == GfpError::CannotOpen)
        return Refused({PathText(source), Describe(gfpError) + ": " + SystemReason(module.lastIoError)});
    if (gfpError != GfpError::None)
        return Refused({PathText(source), Describe(gfpError)});
    if (auto unfit = UnfitPicture(module.GfpPixelHeader))
        return Refused({PathText(source), std::move(*unfit)});
    if (Cancelled(progress))
        return {Outcome::Cancelled, {}};
    if (!writing)
        return Refused(
            {PathText(target), "Die Datei kann nicht geschrieben werden: " + SystemReason(tga.error())});
    if (asking && tga.Replaces()) {
        switch (batch.options.askReplace(target)) {
        case ReplaceAnswer::Yes: break;
        case ReplaceAnswer::YesToAll: batch.replaceAll = true; break;
        case ReplaceAnswer::No: return {Outcome::Kept, {}};
        case ReplaceAnswer::Cancel: return {Outcome::Cancelled, {}};
        }
        if (Cancelled(progress))
            return {Outcome::Cancelled, {}};
    }
    if (!tga.Commit())
        return Refused(
            {PathText(target), "Die Datei kann nicht geschrieben werden: " + SystemReason(tga.error())});
    module.TgaHeader = tga.header;
    return {};
}

// Converts one GFP of the folder, after checking its name.
OneResult ConvertNamed(Module1& module, const Path& folder, const std::string& name, Batch& batch)
{
    const Path source = folder / name;
    if (batch.options.format == PictureFormat::Png)
        return Refused({PathText(source), "PNG wird noch nicht unterstützt"});
    const std::string tgaName = TgaName(name);
    if (tgaName.empty())
        return Refused({PathText(source), "Der Dateiname endet nicht auf .gfp"});
    return ConvertOne(module, source, folder / tgaName, batch);
}

} // namespace

GfpToTgaResult ConvertGfpToTga(Module1& module, const Path& folder, const std::vector<std::string>& names,
                               int first, int last, const std::function<void(int)>& select)
{
    return ConvertGfpToTga(module, folder, names, first, last, select, GfpToTgaOptions{});
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
        case Outcome::Kept: ++result.kept; break;
        case Outcome::Refused: result.refused.push_back(std::move(one.refusal)); break;
        case Outcome::Cancelled: result.cancelled = true; break;
        }
        if (result.cancelled)
            break;
    }
    return result;
}

} // namespace varnox::jobs
