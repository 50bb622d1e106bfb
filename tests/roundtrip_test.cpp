// Random small archives extracted and packed again: whenever extract says "exakt", pack of the
// unchanged folder gives the archive back byte for byte, damaged pictures and shared data included.

#include "formats/describe.h"
#include "formats/gfp.h"
#include "jobs/archive.h"
#include "jobs/report.h"
#include "jobs/sidepicture.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

#include <random>

using namespace varnox;
namespace fs = std::filesystem;

namespace {

using Random = std::mt19937;

int Pick(Random& random, int below)
{
    return std::uniform_int_distribution<int>(0, below - 1)(random);
}

Bytes Junk(Random& random, std::size_t n)
{
    Bytes b(n);
    for (auto& byte : b)
        byte = static_cast<std::uint8_t>(Pick(random, 256));
    return b;
}

// A small GFP, now and then damaged: a byte of its stream changed, cut short, or junk after it.
Bytes RandomGfp(Random& random)
{
    Bytes gfp = test::MakeGfp({.width = 1 + Pick(random, 6),
                               .height = 1 + Pick(random, 4),
                               .compressed = Pick(random, 4) != 0,
                               .filler = static_cast<std::uint8_t>(Pick(random, 3))});
    switch (Pick(random, 5)) {
    case 0: {
        const int from = static_cast<int>(kGfpPayloadAt) + 8, size = static_cast<int>(gfp.size());
        gfp[static_cast<std::size_t>(size > from ? from + Pick(random, size - from) : size - 1)] ^= 0x5A;
        break;
    }
    case 1: gfp.resize(gfp.size() - 1 - static_cast<std::size_t>(Pick(random, 4))); break;
    case 2: gfp = test::Concat({gfp, Junk(random, 1 + static_cast<std::size_t>(Pick(random, 9)))}); break;
    default: break;
    }
    return gfp;
}

// Items of the common types under few names, some sharing the data of an earlier one under
// another type, with junk after the head and the directory now and then.
Bytes RandomArchive(Random& random)
{
    constexpr std::int32_t kTypes[] = {14, 14, 16, 17, 40, 99};
    const char* const kNames[] = {"a", "b", "c", "A", ""};
    test::ResBuilder b;
    if (Pick(random, 3) == 0)
        b.Data(Junk(random, 1 + static_cast<std::size_t>(Pick(random, 20))));
    const int count = 1 + Pick(random, 6);
    const int directoryAt = Pick(random, count + 1);
    std::vector<std::size_t> data;
    for (int i = 0; i < count; ++i) {
        if (i == directoryAt) {
            b.Directory();
            if (Pick(random, 3) == 0)
                b.Data(Junk(random, 1 + static_cast<std::size_t>(Pick(random, 10))));
        }
        const std::int32_t type = kTypes[Pick(random, 6)];
        const char* name = kNames[Pick(random, 5)];
        if (!data.empty() && Pick(random, 4) == 0) {
            b.Entry(type, name, data[static_cast<std::size_t>(Pick(random, static_cast<int>(data.size())))]);
            continue;
        }
        data.push_back(b.Data(type == 14 ? RandomGfp(random)
                                         : Junk(random, static_cast<std::size_t>(Pick(random, 12)))));
        b.Entry(type, name, data.back());
    }
    if (directoryAt == count)
        b.Directory();
    return b.Build();
}

TEST(RandomRoundTrip, ExactMeansTheSameBytes)
{
    Random random(26);
    test::TempDir dir;
    int exact = 0;
    for (int round = 0; round < 300; ++round) {
        const Bytes original = RandomArchive(random);
        test::WriteBytes(dir / "a.res", original);
        fs::remove_all(dir / "x");
        const auto pictures = round % 2 == 0 ? jobs::SidePicture::None : jobs::SidePicture::Png;
        const auto extracted = jobs::ExtractArchive(dir / "a.res", dir / "x", {}, {}, pictures);
        ASSERT_TRUE(extracted.status.ok()) << round << ": " << MessageText(extracted.status.error());
        if (extracted.summary != kExact)
            continue;
        ++exact;
        const auto packed = jobs::PackArchive(dir / "x", dir / "b.res");
        ASSERT_TRUE(packed.status.ok()) << round << ": " << MessageText(packed.status.error());
        ASSERT_EQ(test::ReadBytes(dir / "b.res"), original) << round;
    }
    EXPECT_GT(exact, 150);
}

} // namespace
