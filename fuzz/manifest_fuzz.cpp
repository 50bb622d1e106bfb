// The manifest reader on fuzzed text: a refusal keeps the old value; what it accepts is
// written back to text that reads to the same value.

#include "formats/describe.h"
#include "formats/manifest.h"
#include "fuzz/fuzz_support.h"

#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    Manifest manifest;
    manifest.status = "vorher";
    const Status parsed = ParseManifest(text, manifest);
    if (!parsed) {
        fuzz::Check(manifest == Manifest{.status = "vorher"}, "a refusal keeps the old value");
        fuzz::Check(parsed.error().line >= 0, "line number");
        fuzz::Check(CodeOf<ManifestError>(parsed) != ManifestError::None, "a manifest's reason");
        (void)Describe(parsed.error());
        return 0;
    }
    fuzz::Check(!manifest.items.empty() && manifest.items.size() <= 32767, "item count");
    fuzz::Check(manifest.directoryAt <= manifest.items.size(), "directory among the items");
    for (const ManifestItem& item : manifest.items) {
        fuzz::Check(!IsUnsafeFileName(item.file), "plain file names only");
        fuzz::Check(item.fill.bytes.empty() || std::int64_t(item.fill.bytes.size()) == item.fill.length,
                    "fill");
        (void)NameFieldFromFile(item.file, item.type);
    }
    Manifest again;
    const std::string written = WriteManifest(manifest);
    fuzz::Check(ParseManifest(written, again).ok(), "written text reads back");
    fuzz::Check(again == manifest, "to the same value");
    return 0;
}
