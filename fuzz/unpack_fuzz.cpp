// Unpack of a fuzzed archive: nothing may be created outside the unpack folder.

#include "fuzz/fuzz_support.h"
#include "jobs/report.h"

#include <system_error>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace varnox;
    namespace fs = std::filesystem;
    const Path root = fuzz::Workspace() / "unpack";
    std::error_code ignored;
    fs::remove_all(root, ignored);
    fs::create_directories(root / "game");
    const Path archive = fuzz::WriteInput("unpack/game/gfx.res", data, size);

    jobs::ReportOptions options;
    options.extractWanted = [] { return true; };
    const jobs::ReportResult result = jobs::RunArchiveReport(archive.parent_path(), "gfx.res", options);

    // Only the archive and the unpack folder with files directly inside it may exist.
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const Path& p = entry.path();
        if (p == root / "game" || p == archive || p == root / "game" / "gfx")
            continue;
        fuzz::Check(p.parent_path() == root / "game" / "gfx" && entry.is_regular_file(),
                    "output stays inside the unpack folder");
        // Every output ends in ".gfp"; a temporary file left behind would not.
        const std::string name = p.filename().string();
        fuzz::Check(name.size() >= 4 && name.compare(name.size() - 4, 4, ".gfp") == 0,
                    "outputs are .gfp files");
    }
    fuzz::Check(result.written >= 0, "count");
    return 0;
}
