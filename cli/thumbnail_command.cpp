#include "cli/commands.h"
#include "cli/help.h"
#include "cli/streams.h"
#include "formats/describe.h"
#include "formats/text.h"
#include "jobs/thumbnail.h"

#include <charconv>
#include <optional>

namespace varnox::cli {

namespace {

// The number in "-s SIZE" or "-sSIZE"; nullopt when it is no whole number from 1 to the
// largest box.
std::optional<std::int32_t> BoxSize(const std::string& text)
{
    std::int32_t value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > jobs::kMaxThumbnailSize)
        return std::nullopt;
    return value;
}

int Failed(const Error& error)
{
    PrintError(MessageText(error));
    return kExitFailed;
}

// The thumbnail of gfp into png, each of which may be "-".
int WriteThumbnail(const std::string& gfp, const std::string& png, std::int32_t size)
{
    PipeFolder pipe;
    if (IsStream(gfp) || IsStream(png)) {
        if (auto made = pipe.Make(); !made)
            return Failed(made.error());
    }
    const Path source = IsStream(gfp) ? pipe.File("in.gfp") : Path(gfp);
    const Path target = IsStream(png) ? pipe.File("out.png") : Path(png);
    if (IsStream(gfp)) {
        if (auto spooled = SpoolStandardInput(source); !spooled)
            return Failed(spooled.error());
    }
    if (auto status = jobs::WriteThumbnail(source, target, size); !status)
        return Failed(AsStream(AsStream(status.error(), IsStream(gfp) ? source : Path()),
                               IsStream(png) ? target : Path()));
    if (IsStream(png)) {
        if (auto copied = CopyToStandardOutput(target); !copied)
            return Failed(copied.error());
    }
    return kExitOk;
}

} // namespace

int RunThumbnail(const ParsedArgs& call)
{
    std::optional<std::int32_t> size = jobs::kDefaultThumbnailSize;
    if (const auto given = call.options.find("size"); given != call.options.end())
        size = BoxSize(given->second);
    const Args& files = call.operands;
    if (!size || files.size() != 2) {
        PrintError(
            size ? UsageLine("thumbnail")
                 : TranslateWith(QT_TRANSLATE_NOOP("Varnox", "%1 (GRÖSSE: eine ganze Zahl von 1 bis 4096)"),
                                 {UsageLine("thumbnail")}));
        return kExitUsage;
    }
    return WriteThumbnail(files[0], files[1], *size);
}

} // namespace varnox::cli
