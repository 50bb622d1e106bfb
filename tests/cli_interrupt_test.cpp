// Ctrl+C during a long command: the job stops at its next safe point and leaves the files as
// the command promises; the progress line's text.

#include "cli/progress.h"
#include "jobs/archive.h"
#include "jobs/convert.h"
#include "jobs/sidepicture.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <csignal>
#include <functional>

using namespace varnox;

namespace {

struct InterruptCase {
    const char* name;
    // Runs the job on the prepared folder; true when the job says it was cancelled.
    std::function<bool(const Path& dir, jobs::JobProgress* progress)> run;
    friend std::ostream& operator<<(std::ostream& os, const InterruptCase& c) { return os << c.name; }
};

class Interrupt : public testing::TestWithParam<InterruptCase> {};

// Ctrl+C before the job's first step: every file of the folder stays as it was.
TEST_P(Interrupt, LeavesEveryFileAsItWas)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "p", test::MakeGfp()}, {14, "q", test::MakeGfp()}}));
    test::WriteBytes(dir / "b.res", test::MakeRes({{14, "r", test::MakeGfp()}}));
    test::WriteBytes(dir / "c.gfp", test::MakeGfp());
    test::WriteBytes(dir / "d.gfp", test::MakeGfp());
    ASSERT_TRUE(jobs::ExtractArchive(dir / "a.res", dir / "x").status.ok());
    const auto before = test::Snapshot(dir.path());
    bool cancelled = false;
    {
        cli::CommandProgress progress(cli::Verbosity::Quiet, "x");
        std::raise(SIGINT);
        EXPECT_TRUE(cli::CommandProgress::Interrupted());
        cancelled = GetParam().run(dir.path(), progress.Job());
    }
    EXPECT_TRUE(cancelled);
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, Interrupt,
    testing::Values(
        InterruptCase{
            "pack_over_an_archive",
            [](const Path& dir, jobs::JobProgress* progress) {
                return jobs::PackArchive(dir / "x", dir / "b.res", GfpPacking::Zlib, progress).cancelled;
            }},
        InterruptCase{"extract_into_a_new_folder",
                      [](const Path& dir, jobs::JobProgress* progress) {
                          const auto result =
                              jobs::ExtractArchive(dir / "b.res", dir / "y", {}, {}, jobs::SidePicture::Png,
                                                   jobs::EditedFiles::Refuse, progress);
                          std::error_code ignored;
                          std::filesystem::remove(dir / "y", ignored); // made empty before the first item
                          return progress->Cancelled() && result.written == 0;
                      }},
        InterruptCase{"batch_of_conversions",
                      [](const Path& dir, jobs::JobProgress* progress) {
                          jobs::BatchOptions options;
                          options.format = jobs::PictureFormat::Png;
                          options.workers = 2;
                          options.progress = progress;
                          return jobs::ConvertGfpFiles({dir / "c.gfp", dir / "d.gfp"}, options).cancelled;
                      }},
        InterruptCase{"one_conversion_to_a_named_file",
                      [](const Path& dir, jobs::JobProgress* progress) {
                          return Is(jobs::ConvertGfpFile(dir / "c.gfp", dir / "e.tga",
                                                         jobs::PictureFormat::Tga, progress),
                                    IoError::Cancelled);
                      }}),
    test::CaseName());

struct BarCase {
    const char* name;
    std::int64_t done, total, bytes;
    double seconds;
    std::size_t width;
    std::string line;
    friend std::ostream& operator<<(std::ostream& os, const BarCase& c) { return os << c.name; }
};

class Bar : public testing::TestWithParam<BarCase> {};

TEST_P(Bar, Line)
{
    const BarCase& c = GetParam();
    EXPECT_EQ(cli::BarLine(c.done, c.total, c.bytes, c.seconds, "Einträge", c.width), c.line);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, Bar,
    testing::Values(BarCase{"half_with_bytes_and_time_left", 50, 100, 2'500'000, 2.0, 79,
                            "[###############               ]  50/100 Einträge  2,5 MB  1,2 MB/s  noch 0:02"},
                    BarCase{"units_only_when_no_bytes", 1, 4, 0, 3.0, 40,
                            "[###         ]  1/4 Einträge  noch 0:09"},
                    BarCase{"narrow_terminal_drops_the_bar", 3, 4, 0, 1.0, 20, "3/4 Einträge  noch 0:00"},
                    BarCase{"done_shows_no_time_left", 7, 7, 1'000, 1.0, 45,
                            "[##########]  7/7 Einträge  1,0 KB  1,0 KB/s"}),
    test::CaseName());

} // namespace
