// Start-up and the description phase, seen from outside the binary.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <unistd.h>

#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"

namespace {

// "-- Mmm dd yyyy hh:mm:ss --": the compiler's date and time of the build.
bool isBuildStamp(const std::string &line)
{
    const std::string shape = "-- Aaa dD DDDD DD:DD:DD --";
    if (line.size() != shape.size())
        return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const char c = line[i];
        switch (shape[i]) {
        case 'A': if (!isupper((unsigned char)c)) return false; break;
        case 'a': if (!islower((unsigned char)c)) return false; break;
        case 'D': if (!isdigit((unsigned char)c)) return false; break;
        case 'd': if (!isdigit((unsigned char)c) && c != ' ') return false; break;
        default: if (c != shape[i]) return false;
        }
    }
    return true;
}

TEST(Startup, BannerComesFirstAndAlways)
{
    ToolRun run = runDawnmark({});
    const std::string head = "\nDawnmark v1.0\n";
    ASSERT_EQ(run.out.substr(0, head.size()), head);
    const size_t stampEnd = run.out.find('\n', head.size());
    ASSERT_NE(stampEnd, std::string::npos);
    EXPECT_TRUE(isBuildStamp(run.out.substr(head.size(), stampEnd - head.size()))) << run.out;
    EXPECT_EQ(run.out.substr(stampEnd), "\n\n");
}

// Every option in the README's table of Dawnmark's options (its first), one
// line each, and an example.
TEST(Startup, HelpListsEveryOptionAndAnExample)
{
    const ToolRun run = runDawnmark({"--help"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    std::ifstream readme(DAWNMARK_SOURCE_DIR "/README.md");
    std::string line;
    while (std::getline(readme, line) && line != "| option | meaning |") {
    }
    size_t options = 0;
    for (std::getline(readme, line); std::getline(readme, line) && line.rfind("| `", 0) == 0; ++options)
        EXPECT_NE(run.out.find("\n  " + line.substr(3, line.find('`', 3) - 3) + " "), std::string::npos) << line;
    EXPECT_GE(options, 10u);
    EXPECT_NE(run.out.find("\nExample: Dawnmark "), std::string::npos) << run.out;
}

struct DescriptionFailure {
    const char *name;
    std::string text;
    int status;
    std::string err;
    std::string trace = ""; ///< what -v shows after the banner: the reason of a syntax error
};

class DescriptionPhase : public testing::TestWithParam<DescriptionFailure> {};

TEST_P(DescriptionPhase, StopsBeforeAnyImageIsLoaded)
{
    std::string dir = makeScratchDirectory();
    writeFile(dir + "/d", GetParam().text);
    ToolRun run = runDawnmark({"-v", "-z", dir + "/none", "-o", dir + "/out", dir + "/d"});
    EXPECT_EQ(run.status, GetParam().status);
    EXPECT_EQ(run.err, GetParam().err);
    EXPECT_EQ(run.out, bannerOf(run.out) + GetParam().trace) << "nothing after the banner but the reason";
    EXPECT_NE(access((dir + "/out").c_str(), F_OK), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Descriptions, DescriptionPhase,
    testing::Values(
        DescriptionFailure{"SyntaxErrorAtLineEnd", "screen 640 480\nimage \"a.png\"\n", 1,
                           "\n\nSyntax error at line 2\n", "... found the line end where a number was expected\n"},
        DescriptionFailure{"SyntaxErrorAtNumber", "# comment\r\nscreen 1 2 3 4\n", 1,
                           "\n\nSyntax error at line 2\n", "... found '4' where a line end was expected\n"},
        DescriptionFailure{"MissingLastLineEnd", "image \"a.png\"", 1, "\n\nSyntax error at line 1\n",
                           "... found the end of the file where 'at' or a line end was expected: "
                           "the last line needs a line end too\n"},
        DescriptionFailure{"NulByteIsNotTheEnd", std::string("\n\0\nimage \"a.png\"\n", 16), 1,
                           "\n\nSyntax error at line 2\n",
                           "... found byte 0x00 where a keyword (screen, icons, image) was expected: "
                           "the description is not a text file (an image?)\n"},
        DescriptionFailure{"TooManyImages",
                           [] {
                               std::string t;
                               for (int i = 0; i < 65; ++i)
                                   t += "image \"a.png\"\n";
                               return t;
                           }(),
                           1, "Image table full, bailing out\n"}),
    [](const testing::TestParamInfo<DescriptionFailure> &info) { return std::string(info.param.name); });

} // namespace
