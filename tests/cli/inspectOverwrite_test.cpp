// The inspector never writes over the file it inspects, whatever name or
// link an output path reaches it by, and --force does not change that.
#include <gtest/gtest.h>

#include <algorithm>
#include <dirent.h>
#include <unistd.h>

#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"
#include "tools/sampleZbeos.h"

namespace {

struct clashCase_t {
    const char *name;
    /// Lays out dir and returns the inspected file's path and the options.
    std::pair<std::string, std::vector<std::string>> (*setUp)(const std::string &dir, const bytes_t &file);
    const char *clash; ///< the output reported, relative to dir
};

std::vector<std::string> entriesOf(const std::string &dir)
{
    std::vector<std::string> names;
    if (DIR *entries = opendir(dir.c_str())) {
        while (dirent *entry = readdir(entries))
            names.push_back(entry->d_name);
        closedir(entries);
    }
    std::sort(names.begin(), names.end());
    return names;
}

void PrintTo(const clashCase_t &clash, std::ostream *out) { *out << clash.name; }

class OutputOverInspected : public testing::TestWithParam<clashCase_t> {};

TEST_P(OutputOverInspected, IsRefusedAndNothingIsWritten)
{
    const std::string dir = makeScratchDirectory();
    const bytes_t file = makeSampleZbeos();
    const auto [inspected, options] = GetParam().setUp(dir, file);
    const std::vector<std::string> before = entriesOf(dir);
    std::vector<std::string> args = options;
    args.push_back(inspected);

    ToolRun run = runInspector(args);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: " + dir + "/" + GetParam().clash +
                           " -- is the boot loader file being inspected; it is never overwritten\n");
    EXPECT_EQ(readBytes(inspected), file);
    EXPECT_EQ(entriesOf(dir), before);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OutputOverInspected,
    testing::Values(
        clashCase_t{"PreviewIsTheFile",
                    [](const std::string &dir, const bytes_t &file) {
                        writeFile(dir + "/zbeos", file);
                        return std::make_pair(dir + "/zbeos",
                                              std::vector<std::string>{"--force", "--preview", dir + "/zbeos"});
                    },
                    "zbeos"},
        clashCase_t{"PreviewIsALinkToTheFile",
                    [](const std::string &dir, const bytes_t &file) {
                        writeFile(dir + "/zbeos", file);
                        EXPECT_EQ(symlink("zbeos", (dir + "/screen.png").c_str()), 0);
                        return std::make_pair(dir + "/zbeos", std::vector<std::string>{
                                                                  "--force", "--preview", dir + "/screen.png"});
                    },
                    "screen.png"},
        clashCase_t{"ExtractedNameIsTheFile",
                    [](const std::string &dir, const bytes_t &file) {
                        writeFile(dir + "/slot04-image.png", file);
                        return std::make_pair(dir + "/slot04-image.png",
                                              std::vector<std::string>{"--force", "--extract", dir});
                    },
                    "slot04-image.png"},
        clashCase_t{"ExtractedNameIsALinkToTheFile",
                    [](const std::string &dir, const bytes_t &file) {
                        writeFile(dir + "/zbeos", file);
                        EXPECT_EQ(symlink("zbeos", (dir + "/slot06-officons.png").c_str()), 0);
                        // Both outputs at once: the preview alone would be fine,
                        // and is not written either.
                        return std::make_pair(dir + "/zbeos",
                                              std::vector<std::string>{"--force", "--extract", dir, "--preview",
                                                                       dir + "/screen.png"});
                    },
                    "slot06-officons.png"}),
    [](const testing::TestParamInfo<clashCase_t> &info) { return std::string(info.param.name); });

} // namespace
