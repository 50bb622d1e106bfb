#include "formats/rgb565.h"

#include <gtest/gtest.h>

#include <string>

using namespace varnox;

namespace {

// Widening table: the particular rule, not bit replication.
TEST(Rgb565Widen, KnownValues)
{
    const std::pair<int, int> five[] = {{0, 0},    {1, 15},   {2, 16},   {3, 31},  {4, 32},
                                        {15, 127}, {16, 128}, {30, 240}, {31, 255}};
    for (auto [n, wide] : five)
        EXPECT_EQ(Expand5To8(static_cast<std::int16_t>(n)), wide) << "5-bit " << n;
    const std::pair<int, int> six[] = {{0, 0},    {1, 7},    {2, 8},    {3, 15},
                                       {31, 127}, {32, 128}, {62, 248}, {63, 255}};
    for (auto [n, wide] : six)
        EXPECT_EQ(Expand6To8(static_cast<std::int16_t>(n)), wide) << "6-bit " << n;
}

TEST(Rgb565Narrow, BandsAndOutOfRange)
{
    const std::pair<int, int> five[] = {{0, 0},    {7, 0},  {8, 1},   {15, 1},   {247, 30},   {248, 31},
                                        {255, 31}, {-1, 0}, {256, 0}, {1000, 0}, {-32768, 0}, {32767, 0}};
    for (auto [v, narrow] : five)
        EXPECT_EQ(Reduce8To5(static_cast<std::int16_t>(v)), narrow) << "value " << v;
    const std::pair<int, int> six[] = {{0, 0},    {3, 0},    {4, 1},  {7, 1},   {251, 62},
                                       {252, 63}, {255, 63}, {-1, 0}, {256, 0}, {1000, 0}};
    for (auto [v, narrow] : six)
        EXPECT_EQ(Reduce8To6(static_cast<std::int16_t>(v)), narrow) << "value " << v;
}

TEST(Rgb565Widen, OutOfRangeChannelOverflows)
{
    EXPECT_THROW(Expand5To8(4096), OverflowError);
    EXPECT_THROW(Expand6To8(8192), OverflowError);
    EXPECT_EQ(Expand5To8(4095), 32767); // odd: 8 * 4095 + 7 still fits
}

TEST(Rgb565Split, ChannelsOfAPixel)
{
    EXPECT_EQ(Blue5(0xF81F), 31);
    EXPECT_EQ(Green6(0xF81F), 0);
    EXPECT_EQ(Red5(0xF81F), 31);
    EXPECT_EQ(Green6(0x07E0), 63);
    EXPECT_EQ(Red5(0x07E0), 0);
    EXPECT_EQ(Blue5(0x07E0), 0);
    EXPECT_EQ(Red5(0x632C), 12);
    EXPECT_EQ(Green6(0x632C), 25);
    EXPECT_EQ(Blue5(0x632C), 12);
}

// 8-bit colour -> packed pixel -> widened colour.
struct ColourCase {
    std::string name;
    int red, green, blue;
    int packed;
    int backRed, backGreen, backBlue;
};

class Rgb565Colour : public ::testing::TestWithParam<ColourCase> {};

TEST_P(Rgb565Colour, PacksAndWidensBack)
{
    const ColourCase& c = GetParam();
    const std::int32_t p =
        PackRgb565(static_cast<std::uint8_t>(Reduce8To5(static_cast<std::int16_t>(c.red))),
                   static_cast<std::uint8_t>(Reduce8To6(static_cast<std::int16_t>(c.green))),
                   static_cast<std::uint8_t>(Reduce8To5(static_cast<std::int16_t>(c.blue))));
    EXPECT_EQ(p, c.packed);
    EXPECT_EQ(Expand5To8(static_cast<std::int16_t>(Red5(p))), c.backRed);
    EXPECT_EQ(Expand6To8(static_cast<std::int16_t>(Green6(p))), c.backGreen);
    EXPECT_EQ(Expand5To8(static_cast<std::int16_t>(Blue5(p))), c.backBlue);
}

INSTANTIATE_TEST_SUITE_P(Colours, Rgb565Colour,
                         ::testing::Values(ColourCase{"white", 255, 255, 255, 0xFFFF, 255, 255, 255},
                                           ColourCase{"black", 0, 0, 0, 0, 0, 0, 0},
                                           ColourCase{"grey128", 128, 128, 128, 0x8410, 128, 128, 128},
                                           ColourCase{"grey100", 100, 100, 100, 0x632C, 96, 103, 96},
                                           ColourCase{"red", 255, 0, 0, 0xF800, 255, 0, 0},
                                           ColourCase{"green", 0, 255, 0, 0x07E0, 0, 255, 0},
                                           ColourCase{"blue", 0, 0, 255, 0x001F, 0, 0, 255},
                                           ColourCase{"lowestOnes", 8, 4, 8, 0x0821, 15, 7, 15},
                                           ColourCase{"belowOnes", 7, 3, 7, 0, 0, 0, 0}),
                         [](const auto& row) { return row.param.name; });

// Every 16-bit pixel, split, widened, narrowed and packed again, is the same pixel.
TEST(Rgb565RoundTrip, All65536Pixels)
{
    int wrong = 0;
    for (std::int32_t p = 0; p < 65536; ++p) {
        const auto b = static_cast<std::int16_t>(Expand5To8(static_cast<std::int16_t>(Blue5(p))));
        const auto g = static_cast<std::int16_t>(Expand6To8(static_cast<std::int16_t>(Green6(p))));
        const auto r = static_cast<std::int16_t>(Expand5To8(static_cast<std::int16_t>(Red5(p))));
        const std::int32_t back =
            PackRgb565(static_cast<std::uint8_t>(Reduce8To5(r)), static_cast<std::uint8_t>(Reduce8To6(g)),
                       static_cast<std::uint8_t>(Reduce8To5(b)));
        if (back != p && ++wrong <= 5)
            ADD_FAILURE() << "pixel " << p << " came back as " << back;
    }
    EXPECT_EQ(wrong, 0);
}

// 8 -> 5 -> 8 and 8 -> 6 -> 8 land on the widened value of the band.
TEST(Rgb565RoundTrip, EightBitValuesLandInTheirBand)
{
    const std::pair<int, int> five[] = {{0, 0},   {7, 0},   {8, 15},    {15, 15},   {16, 16},   {23, 16},
                                        {24, 31}, {31, 31}, {128, 128}, {135, 128}, {248, 255}, {255, 255}};
    for (auto [v, back] : five)
        EXPECT_EQ(Expand5To8(Reduce8To5(static_cast<std::int16_t>(v))), back) << v;
    const std::pair<int, int> six[] = {{0, 0}, {3, 0},  {4, 7},     {7, 7},
                                       {8, 8}, {11, 8}, {252, 255}, {255, 255}};
    for (auto [v, back] : six)
        EXPECT_EQ(Expand6To8(Reduce8To6(static_cast<std::int16_t>(v))), back) << v;
}

}  // namespace
