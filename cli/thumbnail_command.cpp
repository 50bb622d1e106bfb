#include "cli/commands.h"
#include "cli/help.h"
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
    if (auto status = jobs::WriteThumbnail(Path(files[0]), Path(files[1]), *size); !status) {
        PrintError(MessageText(status.error()));
        return kExitFailed;
    }
    return kExitOk;
}

} // namespace varnox::cli
