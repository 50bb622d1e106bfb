// Progress, cancel and the question before replacing, through the jobs the windows run.

#include "jobs/convert.h"
#include "jobs/report.h"
#include "tests/support/builders.h"
#include "tests/support/tga_builder.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using namespace varnox;
using Names = std::vector<std::string>;
using jobs::ReplaceAnswer;
using Count = std::pair<std::int64_t, std::int64_t>;

namespace {

Bytes Gfp(std::int32_t width, std::int32_t height, std::uint32_t seed = 1)
{
    test::GfpSpec spec;
    spec.width = width;
    spec.height = height;
    spec.pixels = test::PatternPixels(width, height, 2, seed);
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

// --- The question before replacing, over "convert all" of a.gfp, b.gfp, c.gfp ---

struct ReplaceCase {
    std::string name;
    std::vector<ReplaceAnswer> answers; // given in turn
    Names asked;                        // the targets asked about
    Names replaced;                     // the old TGAs that were replaced
    int written;
    int kept;
    bool cancelled;
};

class ReplaceQuestion : public ::testing::TestWithParam<ReplaceCase> {};

// a.tga and c.tga exist and differ from what would be written, b.tga is missing, d.tga
// exists with the very bytes d.gfp gives: only a and c are asked about.
TEST_P(ReplaceQuestion, AskedOnlyForDifferingFilesAndAnswered)
{
    const ReplaceCase& c = GetParam();
    test::TempDir dir;
    Module1 module;
    test::WriteBytes(dir / "d.gfp", Gfp(3, 2, 4));
    ASSERT_TRUE(jobs::ConvertGfpToTga(module, dir.path(), {"d.gfp"}, 0, 0).refused.empty());
    for (const char* name : {"a.gfp", "b.gfp", "c.gfp"})
        test::WriteBytes(dir / name, Gfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd', 'a'});
    test::WriteBytes(dir / "c.tga", Tga(3, 2));
    const auto before = test::Snapshot(dir.path());

    Names asked;
    std::size_t next = 0;
    jobs::GfpToTgaOptions options;
    options.askReplace = [&](const Path& target) {
        asked.push_back(target.filename().string());
        return next < c.answers.size() ? c.answers[next++] : ReplaceAnswer::Yes;
    };
    const auto result =
        jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp", "b.gfp", "c.gfp", "d.gfp"}, 0, 3, {}, options);
    EXPECT_EQ(asked, c.asked);
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(result.written, c.written);
    EXPECT_EQ(result.kept, c.kept);
    EXPECT_EQ(result.cancelled, c.cancelled);
    const auto after = test::Snapshot(dir.path());
    for (const char* name : {"a.tga", "c.tga"}) {
        const bool replaced = std::find(c.replaced.begin(), c.replaced.end(), name) != c.replaced.end();
        EXPECT_EQ(after.at(name) != before.at(name), replaced) << name;
    }
    EXPECT_EQ(after.size(), before.size() + (c.written > 0 && !c.cancelled ? 1u : 0u)); // b.tga
}

INSTANTIATE_TEST_SUITE_P(
    Answers, ReplaceQuestion,
    ::testing::Values(
        ReplaceCase{"YesToEach",
                    {ReplaceAnswer::Yes, ReplaceAnswer::Yes},
                    {"a.tga", "c.tga"},
                    {"a.tga", "c.tga"},
                    4,
                    0,
                    false},
        ReplaceCase{"NoKeepsTheOldFiles",
                    {ReplaceAnswer::No, ReplaceAnswer::No},
                    {"a.tga", "c.tga"},
                    {},
                    2,
                    2,
                    false},
        ReplaceCase{
            "YesToAllAsksOnce", {ReplaceAnswer::YesToAll}, {"a.tga"}, {"a.tga", "c.tga"}, 4, 0, false},
        ReplaceCase{"CancelStopsTheBatch", {ReplaceAnswer::Cancel}, {"a.tga"}, {}, 0, 0, true}),
    test::CaseName());

TEST(ReplaceQuestionUnset, ReplacesWithoutAsking)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", Gfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd'});
    Module1 module;
    const auto result = jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp"}, 0, 0);
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(test::ReadBytes(dir / "a.tga").size(), 18u + 3 * 3 * 2);
}

TEST(PngTarget, RefusedForEachFileTouchingNothing)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", Gfp(3, 2));
    const auto before = test::Snapshot(dir.path());
    Module1 module;
    jobs::GfpToTgaOptions options;
    options.format = jobs::PictureFormat::Png;
    const auto result = jobs::ConvertGfpToTga(module, dir.path(), {"a.gfp"}, 0, 0, {}, options);
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].reason, "PNG wird noch nicht unterstützt");
    EXPECT_EQ(test::Snapshot(dir.path()), before);
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
              const std::function<void(jobs::TgaToGfpStage)>& stage, const TgaProgress& rows)
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

TEST(CancelledBatch, KeepsTheFilesDoneAndStopsBeforeTheNext)
{
    test::TempDir dir;
    for (const char* name : {"a.gfp", "b.gfp", "c.gfp"})
        test::WriteBytes(dir / name, Gfp(3, 2));
    Module1 module;
    jobs::JobProgress progress;
    jobs::GfpToTgaOptions options;
    options.progress = &progress;
    const auto result = jobs::ConvertGfpToTga(
        module, dir.path(), {"a.gfp", "b.gfp", "c.gfp"}, 0, 2,
        [&](int k) {
            if (k == 1)
                progress.Cancel();
        },
        options);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(result.written, 1);
    EXPECT_EQ(test::ListTree(dir.path()), (Names{"a.gfp", "a.tga", "b.gfp", "c.gfp"}));
}

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
    EXPECT_EQ(counted(packed), Count(4 * 7 * 2, 4 * 7 * 2));

    jobs::JobProgress items;
    jobs::ReportOptions report;
    report.progress = &items;
    (void)jobs::RunArchiveReport(module, dir.path(), "a.res", report);
    EXPECT_EQ(counted(items), Count(3, 3));
}

} // namespace
