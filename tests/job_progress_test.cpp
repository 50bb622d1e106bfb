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

// --- The question before replacing (its answers are tested through the converter window) ---

TEST(ReplaceQuestionUnset, ReplacesWithoutAsking)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.gfp", test::PlainGfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd'});
    const auto result = jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"a.gfp"}, 0, 0));
    EXPECT_TRUE(result.refused.empty());
    EXPECT_EQ(test::ReadBytes(dir / "a.tga").size(), 18u + 3 * 3 * 2);

    // Replaced without a question: the same bytes as a conversion where no TGA was.
    test::TempDir fresh;
    test::WriteBytes(fresh / "a.gfp", test::PlainGfp(3, 2));
    jobs::ConvertGfpFiles(test::PathsOf(fresh.path(), {"a.gfp"}, 0, 0));
    EXPECT_EQ(test::ReadBytes(dir / "a.tga"), test::ReadBytes(fresh / "a.tga"));
}

// --- A cancel leaves the file in hand as it was ---

struct CancelCase {
    std::string name;
    // Runs the job in dir, cancelling progress at some point of its work.
    std::function<bool(const test::TempDir&, jobs::JobProgress&)> run; // true: reported cancelled
};

class CancelledJob : public ::testing::TestWithParam<CancelCase> {};

TEST_P(CancelledJob, LeavesEveryFileAsItWas)
{
    test::TempDir dir;
    for (const char* name : {"a.gfp", "b.gfp"})
        test::WriteBytes(dir / name, test::PlainGfp(3, 2));
    test::WriteBytes(dir / "a.tga", {'o', 'l', 'd'});
    test::WriteBytes(dir / "s.tga", test::PatternTga(4, 300));
    test::WriteBytes(dir / "a.res",
                     test::MakeRes({{14, "eins", test::PlainGfp(2, 2)}, {14, "zwei", test::PlainGfp(2, 2)}}));
    const auto before = test::Snapshot(dir.path());
    jobs::JobProgress progress;
    EXPECT_TRUE(GetParam().run(dir, progress));
    EXPECT_EQ(test::Snapshot(dir.path()), before);
}

bool GfpToTga(const test::TempDir& dir, jobs::JobProgress& progress, int last,
              const jobs::ReplaceQuestion& ask)
{
    jobs::BatchOptions options;
    options.progress = &progress;
    options.askReplace = ask;
    return jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"a.gfp", "b.gfp"}, 0, last), options).cancelled;
}

// Converts s.tga into a.gfp, cancelling when the progress first meets the condition.
bool TgaToGfp(const test::TempDir& dir, jobs::JobProgress& progress, bool uncompressed,
              const std::function<bool(const jobs::JobProgress&)>& cancelWhen)
{
    progress.SetListener([&cancelWhen](jobs::JobProgress& p) {
        if (cancelWhen(p))
            p.Cancel();
    });
    return jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "a.gfp",
                                     (uncompressed ? GfpPacking::Uncompressed : GfpPacking::Zlib), &progress)
        .cancelled;
}

INSTANTIATE_TEST_SUITE_P(
    Jobs, CancelledJob,
    ::testing::Values(CancelCase{"GfpToTgaBeforeStart",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     p.Cancel();
                                     return GfpToTga(d, p, 0, {});
                                 }},
                      CancelCase{"GfpToTgaWhenAsked",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     return GfpToTga(d, p, 0, [&p](const Path&) {
                                         p.Cancel();
                                         return jobs::ReplaceAnswer::Yes;
                                     });
                                 }},
                      CancelCase{"TgaToGfpWhileReadingRows",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     return TgaToGfp(d, p, false, [](const jobs::JobProgress& q) {
                                         return q.Done() == 100;
                                     });
                                 }},
                      CancelCase{"TgaToGfpWhilePacking",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     return TgaToGfp(d, p, false, [](const jobs::JobProgress& q) {
                                         return q.Stage() == static_cast<int>(jobs::TgaToGfpStage::Packing);
                                     });
                                 }},
                      CancelCase{"TgaToGfpUncompressed",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     // When the last row is read.
                                     return TgaToGfp(d, p, true, [](const jobs::JobProgress& q) {
                                         return q.Total() > 0 && q.Done() == q.Total();
                                     });
                                 }},
                      CancelCase{"UnpackBeforeTheFirstItem",
                                 [](const test::TempDir& d, jobs::JobProgress& p) {
                                     jobs::ReportOptions options;
                                     options.extractWanted = [] { return true; };
                                     options.progress = &p;
                                     p.Cancel();
                                     const auto result = jobs::RunArchiveReport(d.path(), "a.res", options);
                                     return result.written == 0 && result.lines.size() == 4 + 2 * 3;
                                 }}),
    test::CaseName());

// --- What the progress counts ---

TEST(Progress, CountsRowsFilesBytesAndItems)
{
    test::TempDir dir;
    for (const char* name : {"a.gfp", "b.gfp", "c.gfp"})
        test::WriteBytes(dir / name, test::PlainGfp(3, 5));
    test::WriteBytes(dir / "s.tga", test::PatternTga(4, 7));
    test::WriteBytes(
        dir / "a.res",
        test::MakeRes({{14, "x", test::PlainGfp(2, 2)}, {16, "y", {1}}, {14, "z", test::PlainGfp(2, 2)}}));
    const auto counted = [](const jobs::JobProgress& p) { return std::pair(p.Done(), p.Total()); };

    jobs::JobProgress rows;
    jobs::BatchOptions options;
    options.progress = &rows;
    (void)jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"a.gfp", "b.gfp", "c.gfp"}, 1, 1), options);
    EXPECT_EQ(counted(rows), Count(5, 5));

    jobs::JobProgress files;
    options.progress = &files;
    (void)jobs::ConvertGfpFiles(test::PathsOf(dir.path(), {"a.gfp", "b.gfp", "c.gfp"}, 0, 2), options);
    EXPECT_EQ(counted(files), Count(3, 3));

    jobs::JobProgress packed;
    std::vector<std::int64_t> rowTotals;
    packed.SetListener([&](const jobs::JobProgress& p) {
        if (p.Done() > 0)
            rowTotals.push_back(p.Total());
    });
    ASSERT_TRUE(jobs::ConvertPictureToGfp(dir / "s.tga", jobs::PictureFormat::Tga, dir / "a.gfp",
                                          GfpPacking::Zlib, &packed)
                    .status.ok());
    EXPECT_EQ(rowTotals.front(), 7);
    EXPECT_EQ(counted(packed), Count(7, 7)); // rows are packed as they are read

    jobs::JobProgress items;
    jobs::ReportOptions report;
    report.progress = &items;
    (void)jobs::RunArchiveReport(dir.path(), "a.res", report);
    EXPECT_EQ(counted(items), Count(3, 3));
}

} // namespace
