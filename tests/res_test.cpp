// RES archive: magic test, type labels, header and directory, refused directories.

#include "formats/describe.h"
#include "formats/module1.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <climits>
#include <functional>

using namespace varnox;
using test::ResItemSpec;

using test::Text;

namespace {

// The reading order of the report: magic, header, directory; the first refusal.
ResError ReadArchive(Module1& module, const Path& path)
{
    Status status = module.IsResFile(path);
    if (status)
        status = module.ReadResHeader(path);
    if (status)
        status = module.ReadResDirectory(path);
    return CodeOf<ResError>(status);
}

struct MagicCase {
    const char* name;
    Bytes content;
    bool isRes;
    friend std::ostream& operator<<(std::ostream& os, const MagicCase& c) { return os << c.name; }
};

class IsResFileTest : public testing::TestWithParam<MagicCase> {};

TEST_P(IsResFileTest, MagicIsTheOnlyTest)
{
    test::TempDir dir;
    test::WriteBytes(dir / "f.res", GetParam().content);
    Module1 module;
    EXPECT_EQ(CodeOf<ResError>(module.IsResFile(dir / "f.res")),
              GetParam().isRes ? ResError::None : ResError::NotRes);
}

INSTANTIATE_TEST_SUITE_P(
    Files, IsResFileTest,
    testing::Values(MagicCase{"MagicOnly", Text("RESF"), true},
                    MagicCase{"MagicAndJunk", Text("RESF\xff\x00junk"), true},
                    MagicCase{"OtherFourthByte", Text("RESX1234"), false},
                    MagicCase{"NulFourthByte", Text(std::string_view("RES\0abc", 7)), false},
                    MagicCase{"LowerCase", Text("resf1234"), false},
                    MagicCase{"ThreeBytes", Text("RES"), false}, MagicCase{"Empty", {}, false}),
    test::CaseName());

TEST(IsResFile, PathThatCannotBeOpenedIsToldApart)
{
    test::TempDir dir;
    std::filesystem::create_directory(dir / "folder.res");
    ASSERT_EQ(::mkfifo((dir / "pipe.res").c_str(), 0600), 0); // would block a plain open
    for (const Path& path : {dir / "missing.res", dir / "folder.res", dir / "pipe.res"}) {
        Module1 module;
        const Status status = module.IsResFile(path);
        EXPECT_EQ(CodeOf<ResError>(status), ResError::CannotOpen) << path;
        EXPECT_TRUE(!status.ok() && status.error().system) << path;
    }
}

TEST(ItemTypeLabel, KnownAndUnknownCodes)
{
    const std::pair<std::int32_t, const char*> cases[] = {
        {14, "Grafik(14)"},    {16, "Sound(16)"},
        {17, "Schrift(17)"},   {40, "Sprite(40)"},
        {15, "unbekannt(15)"}, {0, "unbekannt(0)"},
        {-1, "unbekannt(-1)"}, {INT_MIN, "unbekannt(-2147483648)"},
    };
    for (const auto& [code, label] : cases)
        EXPECT_EQ(ItemTypeLabel(code), label) << code;
}

TEST(ReadResDirectory, TwoItemsWithDirectoryAtTwelve)
{
    // Built by hand: entries at 12 and 20, names at 28 and 284.
    Bytes file(28 + 2 * 256, 0);
    std::copy_n("RESF", 4, file.begin());
    PutLe32(file, 4, 2);
    PutLe32(file, 8, 12);
    PutLe32(file, 12, 16);
    PutLe32(file, 16, -7);
    PutLe32(file, 20, 40);
    PutLe32(file, 24, 123456);
    std::copy_n("first", 5, file.begin() + 28);
    std::copy_n("second", 6, file.begin() + 284);
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", file);

    Module1 module;
    ASSERT_EQ(ReadArchive(module, dir / "a.res"), ResError::None);
    EXPECT_EQ(module.ResHeader.itemCount, 2);
    EXPECT_EQ(module.ResHeader.dataOffset, 12);
    EXPECT_EQ(module.ResHeader.infoOffset, 28);
    ASSERT_EQ(module.ResItems.size(), 2u);
    EXPECT_EQ(module.ResItems[0].itemDataType, 16);
    EXPECT_EQ(module.ResItems[0].itemDataOffset, -7);
    EXPECT_EQ(ItemName(module.ResItems[0]), "first");
    EXPECT_EQ(module.ResItems[1].itemDataType, 40);
    EXPECT_EQ(module.ResItems[1].itemDataOffset, 123456);
    EXPECT_EQ(ItemName(module.ResItems[1]), "second");
}

TEST(ReadResDirectory, DirectoryBeforeOrAfterTheData)
{
    const std::vector<ResItemSpec> items = {{14, "pic", test::MakeGfp()}, {16, "snd", Bytes(33, 7)}};
    for (const bool directoryFirst : {true, false}) {
        const test::ResLayout layout{directoryFirst};
        const auto offsets = test::LayoutRes(items, layout);
        test::TempDir dir;
        test::WriteBytes(dir / "a.res", test::MakeRes(items, layout));
        Module1 module;
        ASSERT_EQ(ReadArchive(module, dir / "a.res"), ResError::None) << directoryFirst;
        EXPECT_EQ(module.ResHeader.dataOffset, offsets.dataOffset);
        EXPECT_EQ(module.ResHeader.infoOffset, offsets.infoOffset);
        for (std::size_t i = 0; i < items.size(); ++i) {
            EXPECT_EQ(module.ResItems[i].itemDataType, items[i].type);
            EXPECT_EQ(module.ResItems[i].itemDataOffset, offsets.itemOffsets[i]);
            EXPECT_EQ(ItemName(module.ResItems[i]), items[i].name);
        }
    }
}

TEST(ReadResDirectory, NameFieldsAreKeptWhole)
{
    std::string padded("abc\0zz\x01", 7);
    const std::string full(256, 'q');
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, padded, {}}, {14, full, {}}, {14, "", {}}}));
    Module1 module;
    ASSERT_EQ(ReadArchive(module, dir / "a.res"), ResError::None);
    // Bytes after the first NUL are no part of the name but stay in the record.
    EXPECT_EQ(ItemName(module.ResItems[0]), "abc");
    EXPECT_EQ(module.ResItems[0].itemName[4], 'z');
    EXPECT_EQ(module.ResItems[0].itemName[6], 0x01);
    // Without any NUL the whole field is the name.
    EXPECT_EQ(ItemName(module.ResItems[1]), full);
    EXPECT_EQ(ItemName(module.ResItems[2]), "");
    // Each record gives back its whole field, byte for byte.
    const std::string fields[] = {padded, full, ""};
    for (std::size_t i = 0; i < 3; ++i) {
        std::array<std::uint8_t, kResNameSize> field{};
        std::copy(fields[i].begin(), fields[i].end(), field.begin());
        EXPECT_EQ(module.ResItems[i].itemName.Whole(), field) << i;
    }
}

TEST(ReadResDirectory, LargestArchiveIsReadCompletely)
{
    std::vector<ResItemSpec> items(kMaxResItems);
    for (std::size_t i = 0; i < items.size(); ++i)
        items[i] = {
            static_cast<std::int32_t>(i % 50), "n" + std::to_string(i), {}, static_cast<std::int32_t>(i)};
    test::TempDir dir;
    test::WriteBytes(dir / "big.res", test::MakeRes(items));
    Module1 module;
    ASSERT_EQ(ReadArchive(module, dir / "big.res"), ResError::None);
    ASSERT_EQ(module.ResItems.size(), static_cast<std::size_t>(kMaxResItems));
    for (std::size_t i = 0; i < items.size(); ++i) {
        ASSERT_EQ(module.ResItems[i].itemDataType, items[i].type) << i;
        ASSERT_EQ(module.ResItems[i].itemDataOffset, items[i].offset) << i;
        ASSERT_EQ(ItemName(module.ResItems[i]), items[i].name) << i;
    }
}

struct BadDirectory {
    const char* name;
    std::function<void(Bytes&)> damage;
    ResError expected;
    friend std::ostream& operator<<(std::ostream& os, const BadDirectory& c) { return os << c.name; }
};

class MalformedArchiveTest : public testing::TestWithParam<BadDirectory> {};

TEST_P(MalformedArchiveTest, RefusedAndLastArchiveKept)
{
    test::TempDir dir;
    test::WriteBytes(dir / "good.res", test::MakeRes({{14, "keep", {}}}));
    Bytes bad = test::MakeRes({{14, "a", {}}, {16, "b", {}}}); // names end the file
    GetParam().damage(bad);
    test::WriteBytes(dir / "bad.res", bad);

    Module1 module;
    ASSERT_EQ(ReadArchive(module, dir / "good.res"), ResError::None);
    EXPECT_EQ(ReadArchive(module, dir / "bad.res"), GetParam().expected);
    ASSERT_EQ(module.ResItems.size(), 1u);
    EXPECT_EQ(ItemName(module.ResItems[0]), "keep");
    EXPECT_FALSE(Describe(GetParam().expected).empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MalformedArchiveTest,
    testing::Values(
        BadDirectory{"NoItems", [](Bytes& b) { PutLe32(b, 4, 0); }, ResError::ItemCountRange},
        BadDirectory{"NegativeCount", [](Bytes& b) { PutLe32(b, 4, -1); }, ResError::ItemCountRange},
        BadDirectory{"Count32768", [](Bytes& b) { PutLe32(b, 4, 32768); }, ResError::ItemCountRange},
        BadDirectory{"CountMinimum", [](Bytes& b) { PutLe32(b, 4, INT_MIN); }, ResError::InfoOffsetOverflow},
        BadDirectory{"CountBeyondFile", [](Bytes& b) { PutLe32(b, 4, 32767); }, ResError::DirectoryPastEnd},
        BadDirectory{"NegativeDataOffset", [](Bytes& b) { PutLe32(b, 8, -12); },
                     ResError::DataOffsetNegative},
        BadDirectory{"InfoOffsetOverflow", [](Bytes& b) { PutLe32(b, 8, INT_MAX - 8); },
                     ResError::InfoOffsetOverflow},
        BadDirectory{"DirectoryPastEnd",
                     [](Bytes& b) { PutLe32(b, 8, static_cast<std::int32_t>(b.size()) - 8); },
                     ResError::DirectoryPastEnd},
        BadDirectory{"NamesPastEnd", [](Bytes& b) { b.pop_back(); }, ResError::NamesPastEnd},
        BadDirectory{"HeaderCut", [](Bytes& b) { b.resize(10); }, ResError::HeaderTruncated}),
    test::CaseName());

} // namespace
