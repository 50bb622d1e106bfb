// The directory read and the report text of a fuzzed archive (no extraction).

#include "fuzz/fuzz_support.h"
#include "jobs/report.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    const Path archive = fuzz::WriteInput("input.res", data, size);
    const jobs::ReportResult result = jobs::RunArchiveReport(archive.parent_path(), "input.res", {});
    Module1 module;
    jobs::StoreRecords(module, result.records);
    fuzz::Check(!result.lines.empty(), "a report has lines");
    if (result.valid) {
        const auto count = static_cast<std::size_t>(module.ResHeader.itemCount);
        fuzz::Check(count >= 1 && count <= 32767, "item count in range");
        fuzz::Check(module.ResItems.size() == count, "one record per item");
        fuzz::Check(result.lines.size() == 4 + 3 * count, "three lines per item");
        fuzz::Check(static_cast<std::int64_t>(module.ResHeader.infoOffset) + 256 * std::int64_t(count) <=
                        std::int64_t(size),
                    "names within the file");
    } else {
        fuzz::Check(result.lines.front() == jobs::kInvalidRes, "refusal text");
    }
    (void)jobs::ReportText(result);
    return 0;
}
