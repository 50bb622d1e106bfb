// Progress and cancel of the jobs the windows run, and the command line's replacing without a question.

#include "jobs/convert.h"
#include "jobs/report.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace varnox;
using Count = std::pair<std::int64_t, std::int64_t>;

namespace {

Bytes Gfp(std::int32_t width, std::int32_t height)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = height;
    return test::MakeGfp(spec);
}

Bytes Tga(std::int16_t width, std::int16_t height)
{
    test::TgaSpec spec;
    spec.width = width;
    spec.height = height;
    spec.picture = test::PatternPicture(width, height);
    return test::MakeTga(spec);
}

// --- The question before replacing (its answers are tested through the converter window) ---

TEST(ReplaceQuestionUnset, ReplacesWithoutAsking)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", Gfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd'});
    Module1 module;
    const auto result = jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp"}, 0, 0);
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(test::ReadBytes(dir / "a.tga").size(), 18u + 3 * 3 * 2);

    // Replaced without a question: the same bytes as a conversion where no TGA was.
    test::TempDir fresh;
    test::WriteBytes(fresh / "a.gfp", Gfp(3, 2));
    jobs::ConvertGfpToTga(module, fresh.path(), {"a.gfp"}, 0, 0);
    EXPECT_EQ(test::ReadBytes(dir / "a.tga"), test::ReadBytes(fresh / "a.tga"));
}

// --- A cancel leaves the file in hand as it was ---

struct CancelCase {
    std::string name;
    // Runs the job in dir, cancelling progress at some point of its work.
    std::function<bool(Module1&, const test::TempDir&, jobs::JobProgress&)> run; // true: reported cancelled
};

class CancelledJob : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelledJob, LeavesEveryFileAsItWas)
{
    test::TempDir dir;
    for (const char* name : {"a.gfp", "b.gfp"})
        test::WriteBytes(dir / name, Gfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd'});
    test::WriteBytes(dir / "s.tga", Tga(4, 300));
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "eins", Gfp(2, 2)}, {14, "zwei", Gfp(2, 2)}}));
    const auto before = test::Snapshot(dir.path());
    Module1 module;
    jobs::JobProgress progress;
    EXPECT_TRUE(GetParam().run(module, dir, progress));
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

bool GfpToTga(Module1& module, const test::TempDir& dir, jobs::JobProgress& progress, int last,
              const std::function<void(int)>& select)
{
    jobs::GfpToTgaOptions options;
    options.progress = &progress;
    return jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp", "b.gfp"}, 0, last, select, options).cancelled;
}

bool TgaToGfp(Module1& module, const test::TempDir& dir, jobs::JobProgress& progress, bool uncompressed,
              const std::function<void(jobs::TgaToGfpStage)>& stage, const jobs::TgaProgress& rows)
{
    return jobs::ConvertTgaToGfp(module, dir / "s.tga", dir / "a.gfp", uncompressed, stage, rows, &progress)
        .cancelled;
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, CancelledJob,
    ::testing::Values(CancelCase{"GfpToTgaBeforeStart",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     p.Cancel();
                                     return GfpToTga(m, d, p, 0, {});
                                 }},
                      CancelCase{"GfpToTgaAfterSelecting",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     return GfpToTga(m, d, p, 0, [&p](int) { p.Cancel(); });
                                 }},
                      CancelCase{"TgaToGfpWhileReadingRows",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     return TgaToGfp(m, d, p, false, {}, [&p](int row, bool) {
                                         if (row == 100)
                                             p.Cancel();
                                     });
                                 }},
                      CancelCase{"TgaToGfpWhilePacking",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     return TgaToGfp(m, d, p, false,
                                                     [&p](jobs::TgaToGfpStage s) {
                                                         if (s == jobs::TgaToGfpStage::Packing)
                                                             p.Cancel();
                                                     },
                                                     {});
                                 }},
                      CancelCase{"TgaToGfpUncompressed",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     return TgaToGfp(m, d, p, true, {}, [&p](int, bool done) {
                                         if (done)
                                             p.Cancel();
                                     });
                                 }},
                      CancelCase{"UnpackBeforeTheFirstItem",
                                 [](Module1& m, const test::TempDir& d, jobs::JobProgress& p) {
                                     jobs::ReportOptions options;
                                     options.extractWanted = [] { return true; };
                                     options.progress = &p;
                                     p.Cancel();
                                     const auto result =
                                         jobs::RunArchiveReport(m, d.path(), "a.res", options);
                                     return result.written == 0 && result.lines.size() == 4 + 2 * 3;
                                 }}),
    test::CaseName());

// --- What the progress counts ---

TEST(Progress, CountsRowsFilesBytesAndItems)
{
    test::TempDir dir;
    for (const char* name : {"a.gfp", "b.gfp", "c.gfp"})
        test::WriteBytes(dir / name, Gfp(3, 5));
    test::WriteBytes(dir / "s.tga", Tga(4, 7));
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, "x", Gfp(2, 2)}, {16, "y", {1}}, {14, "z", Gfp(2, 2)}}));
    Module1 module;
    const auto counted = [](const jobs::JobProgress& p) { return std::pair(p.Done(), p.Total()); };

    jobs::JobProgress rows;
    jobs::GfpToTgaOptions options;
    options.progress = &rows;
    (void)jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp", "b.gfp", "c.gfp"}, 1, 1, {}, options);
    EXPECT_EQ(counted(rows), Count(5, 5));

    jobs::JobProgress files;
    options.progress = &files;
    (void)jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp", "b.gfp", "c.gfp"}, 0, 2, {}, options);
    EXPECT_EQ(counted(files), Count(3, 3));

    jobs::JobProgress packed;
    std::vector<std::int64_t> rowTotals;
    ASSERT_TRUE(jobs::ConvertTgaToGfp(
                    module, dir / "s.tga", dir / "a.gfp", false, {},
                    [&](int, bool) { rowTotals.push_back(packed.Total()); }, &packed)
                    .ok);
    EXPECT_EQ(rowTotals.front(), 7);
    EXPECT_EQ(counted(packed), Count(7, 7)); // rows are packed as they are read

    jobs::JobProgress items;
    jobs::ReportOptions report;
    report.progress = &items;
    (void)jobs::RunArchiveReport(module, dir.path(), "a.res", report);
    EXPECT_EQ(counted(items), Count(3, 3));
}

} // namespace
