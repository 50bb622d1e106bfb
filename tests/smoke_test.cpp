#include "jobs/report.h"
#include "tests/support/builders.h"

#include <gtest/gtest.h>

using namespace varnox;

TEST(Smoke, OneItemArchiveReport)
{
    test::TempDir dir;
    test::WriteBytes(dir / "a.res", test::MakeRes({{14, "pic", test::MakeGfp()}}));
    Module1 module;
    const auto result = jobs::RunArchiveReport(module, dir.path(), "a.res", {});
    ASSERT_TRUE(result.valid);
    EXPECT_EQ(result.lines.size(), 7u);
}
