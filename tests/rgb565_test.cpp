#include "formats/rgb565.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

using namespace varnox;

namespace {

using Pairs = std::initializer_list<std::pair<int, int>>;

void ExpectMapped(std::int16_t (*op)(std::int16_t), Pairs pairs, const char* name)
{
    for (auto [in, out] : pairs)
        EXPECT_EQ(op(static_cast<std::int16_t>(in)), out) << name << "(" << in << ")";
}

// Widening is the system's own rule, not bit replication (which gives 8 and 132 for 1 and 16).
TEST(Rgb565, WidenNarrowAndTheirTables)
{
    ExpectMapped(Expand5To8,
                 {{0, 0}, {1, 15}, {2, 16}, {3, 31}, {4, 32}, {15, 127}, {16, 128}, {30, 240}, {31, 255}},
                 "Expand5To8");
    ExpectMapped(Expand6To8, {{0, 0}, {1, 7}, {2, 8}, {3, 15}, {31, 127}, {32, 128}, {62, 248}, {63, 255}},
                 "Expand6To8");
    ExpectMapped(Reduce8To5, {{0, 0}, {7, 0}, {8, 1}, {248, 31}, {255, 31}, {-1, 0}, {256, 0}, {1000, 0}},
                 "Reduce8To5");
    ExpectMapped(Reduce8To6, {{0, 0}, {3, 0}, {4, 1}, {252, 63}, {255, 63}, {-1, 0}, {256, 0}, {1000, 0}},
                 "Reduce8To6");
    EXPECT_THROW(Expand5To8(4096), OverflowError);
    EXPECT_THROW(Expand6To8(8192), OverflowError);

    // The byte tables the row wideners use give the same colour as the rule for every pixel.
    const WideningTables& tables = Widening();
    for (int v = 0; v < 65536; ++v) {
        const auto part = [v](int shift, int mask) { return static_cast<std::int16_t>((v >> shift) & mask); };
        const std::uint32_t expected = static_cast<std::uint32_t>(Expand5To8(part(0, 31))) |
                                       static_cast<std::uint32_t>(Expand6To8(part(5, 63))) << 8 |
                                       static_cast<std::uint32_t>(Expand5To8(part(11, 31))) << 16;
        ASSERT_EQ(tables(static_cast<std::uint8_t>(v & 255), static_cast<std::uint8_t>(v >> 8)), expected)
            << "pixel " << v;
    }
}

struct Colour {
    const char* name;
    int r, g, b, packed, backR, backG, backB;
};

class Rgb565Colours : public ::testing::TestWithParam<Colour> {};

TEST_P(Rgb565Colours, PackAndWidenBack)
{
    const Colour& c = GetParam();
    auto narrow = [](std::int16_t (*op)(std::int16_t), int v) {
        return static_cast<std::uint8_t>(op(std::int16_t(v)));
    };
    const std::int32_t p =
        PackRgb565(narrow(Reduce8To5, c.r), narrow(Reduce8To6, c.g), narrow(Reduce8To5, c.b));
    EXPECT_EQ(p, c.packed);
    EXPECT_EQ(Expand5To8(static_cast<std::int16_t>(Red5(p))), c.backR);
    EXPECT_EQ(Expand6To8(static_cast<std::int16_t>(Green6(p))), c.backG);
    EXPECT_EQ(Expand5To8(static_cast<std::int16_t>(Blue5(p))), c.backB);
}

INSTANTIATE_TEST_SUITE_P(Known, Rgb565Colours,
                         ::testing::Values(Colour{"white", 255, 255, 255, 0xFFFF, 255, 255, 255},
                                           Colour{"black", 0, 0, 0, 0, 0, 0, 0},
                                           Colour{"grey128", 128, 128, 128, 0x8410, 128, 128, 128},
                                           Colour{"grey100", 100, 100, 100, 0x632C, 96, 103, 96},
                                           Colour{"red", 255, 0, 0, 0xF800, 255, 0, 0},
                                           Colour{"green", 0, 255, 0, 0x07E0, 0, 255, 0},
                                           Colour{"blue", 0, 0, 255, 0x001F, 0, 0, 255},
                                           Colour{"lowestOnes", 8, 4, 8, 0x0821, 15, 7, 15},
                                           Colour{"belowOnes", 7, 3, 7, 0, 0, 0, 0}),
                         [](const auto& row) { return std::string(row.param.name); });

// Every 16-bit pixel, split, widened, narrowed and packed again, is the same pixel.
TEST(Rgb565, All65536PixelsSurviveTheRoundTrip)
{
    int wrong = 0;
    for (std::int32_t p = 0; p < 65536; ++p) {
        const auto b = Expand5To8(static_cast<std::int16_t>(Blue5(p)));
        const auto g = Expand6To8(static_cast<std::int16_t>(Green6(p)));
        const auto r = Expand5To8(static_cast<std::int16_t>(Red5(p)));
        const std::int32_t back =
            PackRgb565(static_cast<std::uint8_t>(Reduce8To5(r)), static_cast<std::uint8_t>(Reduce8To6(g)),
                       static_cast<std::uint8_t>(Reduce8To5(b)));
        if (back != p && ++wrong <= 5)
            ADD_FAILURE() << "pixel " << p << " came back as " << back;
    }
    EXPECT_EQ(wrong, 0);
}

} // namespace
