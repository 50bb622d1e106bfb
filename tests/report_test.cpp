// The archive report: exact text of valid archives, and of files that are refused.

#include "jobs/report.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <climits>

using namespace varnox;
using test::ResItemSpec;

namespace {

jobs::ReportResult Report(Module1& module, const test::TempDir& dir, const std::string& file,
                          bool extract = false)
{
    jobs::ReportOptions options;
    if (extract)
        options.extractWanted = [] { return true; };
    jobs::ReportResult result = jobs::RunArchiveReport(dir.path(), file, options);
    jobs::StoreRecords(module, result.records);
    return result;
}

TEST(ArchiveReport, OneItemExampleTextTickedOrNot)
{
    const std::string expected = "Gültige RES-File\r\n"
                                 "Anzahl:1\r\n"
                                 "Dataoffset:12\r\n"
                                 "Infooffset:20\r\n"
                                 "\tItemdatatype:Grafik(14)\r\n"
                                 "\tItemdataoffset:276\r\n"
                                 "\tItemname:pic\r\n";
    for (const bool extract : {false, true}) {
        test::TempDir dir;
        test::WriteBytes(dir / "a.res", test::MakeRes({{14, "pic", test::MakeGfp()}}));
        Module1 module;
        const auto result = Report(module, dir, "a.res", extract);
        EXPECT_TRUE(result.valid);
        EXPECT_EQ(jobs::ReportText(result), expected) << extract;
        EXPECT_EQ(result.written, extract ? 1 : 0);
    }
}

TEST(ArchiveReport, ItemLines)
{
    struct Case {
        ResItemSpec item;
        const char* type;
        const char* offset;
        std::string name;
    };
    const Case cases[] = {
        {{3, "x", {}, -5}, "unbekannt(3)", "-5", "x"},
        {{INT_MIN, "y", {}, INT_MAX}, "unbekannt(-2147483648)", "2147483647", "y"},
        {{17, "", {}, 0}, "Schrift(17)", "0", ""},
        {{16, std::string("cut\0gone", 8), {}, 1}, "Sound(16)", "1", "cut"},
        {{40, "\x80\xE4\x9F\xFF", {}, 2},
         "Sprite(40)",
         "2",
         "\\x80\xC3\xA4\\x9F\xC3\xBF"}, // C1 controls escaped
        {{0, std::string(256, 'w'), {}, 3}, "unbekannt(0)", "3", std::string(256, 'w')},
    };
    std::vector<ResItemSpec> items;
    for (const auto& c : cases)
        items.push_back(c.item);
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes(items));
    Module1 module;
    const auto result = Report(module, dir, "a.res", true);
    ASSERT_EQ(result.lines.size(), 4 + 3 * std::size(cases));
    EXPECT_EQ(result.lines[1], "Anzahl:6");
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(result.lines[4 + 3 * i], std::string("\tItemdatatype:") + cases[i].type);
        EXPECT_EQ(result.lines[5 + 3 * i], std::string("\tItemdataoffset:") + cases[i].offset);
        EXPECT_EQ(result.lines[6 + 3 * i], "\tItemname:" + cases[i].name);
    }
    EXPECT_FALSE(std::filesystem::exists(dir / "a")); // no picture item
}

TEST(ArchiveReport, LargestArchiveHasEveryLine)
{
    std::vector<ResItemSpec> items(kMaxResItems, ResItemSpec{16, "s", {}, 9});
    items.back() = {14, "last", {}, 77};
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes(items));
    Module1 module;
    const auto result = Report(module, dir, "a.res");
    ASSERT_EQ(result.lines.size(), 4u + 3u * kMaxResItems);
    EXPECT_EQ(result.lines[3], "Infooffset:" + std::to_string(12 + 8 * kMaxResItems));
    EXPECT_EQ(result.lines.end()[-3], "\tItemdatatype:Grafik(14)");
    EXPECT_EQ(result.lines.end()[-1], "\tItemname:last");
}

struct Refusal {
    const char* name;
    Bytes content;
    std::string text;
    friend std::ostream& operator<<(std::ostream& os, const Refusal& c) { return os << c.name; }
};

Bytes Damaged(std::size_t at, std::int32_t value)
{
    Bytes b = test::MakeRes({{14, "p", test::MakeGfp()}});
    PutLe32(b, at, value);
    return b;
}

class RefusedFileTest : public testing::TestWithParam<Refusal> {};

TEST_P(RefusedFileTest, Text)
{
    test::TempDir dir;
    test::WriteBytes(dir / "x.res", GetParam().content);
    Module1 module;
    const auto result = Report(module, dir, "x.res", true);
    EXPECT_FALSE(result.valid);
    EXPECT_EQ(jobs::ReportText(result), GetParam().text);
    EXPECT_EQ(result.status.error().file, dir / "x.res");
    EXPECT_EQ(test::ListTree(dir.path()), std::vector<std::string>{"x.res"});
}

const std::string kInvalid = "Keine gültige RES-File";

INSTANTIATE_TEST_SUITE_P(
    Files, RefusedFileTest,
    testing::Values(Refusal{"NoMagic", test::MakeGfp(), kInvalid},
                    Refusal{"ThreeBytes", {'R', 'E', 'S'}, kInvalid},
                    Refusal{"LowerCaseMagic", {'r', 'e', 's', 'f', 1, 0, 0, 0, 12, 0, 0, 0}, kInvalid},
                    Refusal{"NoItems", Damaged(4, 0),
                            kInvalid + "\r\nDie Anzahl der Einträge liegt nicht zwischen 1 und 32767"},
                    Refusal{"NegativeDataOffset", Damaged(8, -1), kInvalid + "\r\nDataoffset ist negativ"},
                    Refusal{"DirectoryPastEnd", Damaged(8, 100000),
                            kInvalid + "\r\nDas Verzeichnis reicht über das Dateiende hinaus"},
                    Refusal{"InfoOffsetOverflow", Damaged(8, INT_MAX),
                            kInvalid + "\r\nInfooffset liegt außerhalb des 32-Bit-Bereichs"}),
    test::CaseName());

TEST(ArchiveReport, FileThatCannotBeOpened)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "folder.res");
    const std::pair<const char*, const char*> cases[] = {
        {"missing.res", "Die Datei kann nicht geöffnet werden: Datei oder Ordner nicht gefunden"},
        {"folder.res", "Die Datei kann nicht geöffnet werden: Ist ein Ordner"},
    };
    for (const auto& [file, reason] : cases) {
        Module1 module;
        const auto result = Report(module, dir, file);
        EXPECT_FALSE(result.valid);
        EXPECT_EQ(result.lines, (std::vector<std::string>{kInvalid, reason}));
    }
}

TEST(ArchiveReport, SameArchiveTwiceAndAnotherAfter)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "one", test::MakeGfp()}, {16, "two", Bytes(5, 1)}}));
    test::WriteBytes(dir / "b.res", test::MakeRes({{40, "three", {}}}));
    Module1 module;
    const auto first = Report(module, dir, "a.res");
    EXPECT_EQ(Report(module, dir, "a.res").lines, first.lines);
    EXPECT_EQ(Report(module, dir, "b.res").lines.size(), 7u);
    EXPECT_EQ(module.ResItems.size(), 1u);
    EXPECT_EQ(Report(module, dir, "a.res").lines, first.lines);
}

} // namespace
