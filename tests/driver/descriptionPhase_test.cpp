// The description phase turns a parse's outcome into the tool's report and
// exit status.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "driver/run.h"
#include "language/parseDescription.h"
#include "support/files.h"
#include "support/scratch.h"

namespace {

struct PhaseCase {
    const char *name;
    std::string text;
    int status;
    const char *err;
};

class DescriptionPhase : public testing::TestWithParam<PhaseCase> {};

TEST_P(DescriptionPhase, ReportsAndReturnsTheStatus)
{
    const PhaseCase &c = GetParam();
    std::string path = makeScratchDirectory() + "/d";
    writeFile(path, c.text.data(), c.text.size());
    FILE *input = fopen(path.c_str(), "r");
    ASSERT_NE(input, nullptr);
    splashDescription_t description{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(runDescriptionPhase(input, &description), c.status);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), c.err);
    fclose(input);
}

INSTANTIATE_TEST_SUITE_P(
    Outcomes, DescriptionPhase,
    testing::Values(PhaseCase{"Accepted", "screen 1 2 3\n", 0, ""},
                    PhaseCase{"SyntaxError", "screen 1 2\n", 1, "\n\nSyntax error at line 2\n"},
                    PhaseCase{"ImageTableFull",
                              [] {
                                  std::string t;
                                  for (int i = 0; i < 65; ++i)
                                      t += "image \"a.png\"\n";
                                  return t;
                              }(),
                              1, "Image table full, bailing out\n"}),
    [](const testing::TestParamInfo<PhaseCase> &info) { return std::string(info.param.name); });

TEST(DescriptionPhase, ReadFailureEndsWithStatusTwo)
{
    // A directory opens for reading but cannot be read.
    FILE *input = fopen(makeScratchDirectory().c_str(), "r");
    ASSERT_NE(input, nullptr);
    splashDescription_t description{};
    testing::internal::CaptureStderr();
    EXPECT_EQ(runDescriptionPhase(input, &description), 2);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "input in flex scanner failed\n");
    fclose(input);
}

} // namespace
