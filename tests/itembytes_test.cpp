#include "jobs/itembytes.h"
#include "support/builders.h"

#include <gtest/gtest.h>

namespace varnox {
namespace {

struct DumpCase {
    const char* name;
    Bytes bytes;
    std::int64_t first;
    std::string dump;
};

const DumpCase kDumpCases[] = {
    {"empty", {}, 0, ""},
    {"short_line_padded",
     {'A', 0x00, 0xE4},
     0,
     "00000000  41 00 e4" + std::string(13 * 3, ' ') + "  A.\xC3\xA4\n"},
    {"controls_as_dots",
     {0x7F, 0x85, 0x9F, 0xA0, 0x1B},
     0,
     "00000000  7f 85 9f a0 1b" + std::string(11 * 3, ' ') + "  ...\xC2\xA0.\n"},
    {"second_line_and_offset", Bytes(17, 'x'), 0x10,
     "00000010  78 78 78 78 78 78 78 78 78 78 78 78 78 78 78 78  xxxxxxxxxxxxxxxx\n"
     "00000020  78" +
         std::string(15 * 3, ' ') + "  x\n"},
};

class HexDumpLines : public testing::TestWithParam<DumpCase> {};

TEST_P(HexDumpLines, ShowsOffsetHexAndLatin1)
{
    EXPECT_EQ(jobs::HexDump(GetParam().bytes, GetParam().first), GetParam().dump);
}

INSTANTIATE_TEST_SUITE_P(Dump, HexDumpLines, testing::ValuesIn(kDumpCases),
                         [](const auto& row) { return std::string(row.param.name); });

} // namespace
} // namespace varnox
