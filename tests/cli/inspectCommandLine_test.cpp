// The inspector's command line, GNU style.
#include <gtest/gtest.h>

#include "support/runTool.h"

namespace {

TEST(CommandLine, HelpGoesToStandardOutput)
{
    for (const char *option : {"--help", "-h"}) {
        ToolRun run = runInspector({option});
        EXPECT_EQ(run.status, 0);
        EXPECT_EQ(run.err, "");
        EXPECT_EQ(run.out.rfind("Usage: Dawnmark-inspect [OPTION]... FILE\n", 0), 0u) << run.out;
        for (const char *line : {"  -x, --extract=DIR", "  -p, --preview=FILE", "  -l, --lit", "  -f, --force",
                                 "  -h, --help", "  -V, --version", "Exit status:\n"})
            EXPECT_NE(run.out.find(line), std::string::npos) << line;
    }
}

TEST(CommandLine, VersionNamesTheProgramAndPackage)
{
    ToolRun run = runInspector({"--version", "ignored"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.substr(0, run.out.find('\n') + 1), "Dawnmark-inspect (Dawnmark) 1.0\n");
    EXPECT_NE(run.out.find("License: MIT"), std::string::npos) << run.out;
}

struct badCase_t {
    const char *name;
    std::vector<std::string> args;
    const char *complaint;
};

class BadCommandLine : public testing::TestWithParam<badCase_t> {};

TEST_P(BadCommandLine, SaysWhatAndWhereToLookWithStatusTwo)
{
    ToolRun run = runInspector(GetParam().args);
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, std::string("Dawnmark-inspect: ") + GetParam().complaint +
                           "\nTry 'Dawnmark-inspect --help' for more information.\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadCommandLine,
    testing::Values(badCase_t{"NoFile", {}, "missing FILE operand"},
                    badCase_t{"TwoFiles", {"a", "b"}, "extra operand 'b'"},
                    badCase_t{"UnknownLong", {"--frobnicate", "a"}, "unrecognized option '--frobnicate'"},
                    badCase_t{"UnknownShort", {"-lq", "a"}, "invalid option -- 'q'"},
                    badCase_t{"ExtractWithoutDirectory", {"a", "--extract"}, "option '--extract' requires an argument"},
                    badCase_t{"LitWithoutPreview", {"--lit", "a"}, "--lit needs --preview"}),
    [](const testing::TestParamInfo<badCase_t> &info) { return std::string(info.param.name); });

} // namespace
