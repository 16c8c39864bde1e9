// The boot screen as the pack describes it, through the built program.
#include <gtest/gtest.h>

#include "inspect/inspectFixtures_support.h"
#include "storedPng_support.h"
#include "support/runTool.h"
#include "tools/sampleZbeos.h"

namespace {

struct previewCase_t {
    const char *name;
    std::vector<std::string> options;
    // One row per screen row: '.' is black, a letter is palette index
    // letter - 'a' + 1.
    std::vector<std::string> screen;
};

class Preview : public testing::TestWithParam<previewCase_t> {};

TEST_P(Preview, DrawsTheImagesInDirectoryOrderClippedToTheScreen)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", zbeosWithPack(handPack()));
    std::vector<std::string> args = GetParam().options;
    args.insert(args.end(), {"--preview", dir + "/screen.png", dir + "/zbeos"});
    ToolRun run = runInspector(args);
    ASSERT_EQ(run.status, 0) << run.err;

    const storedPng_t png = readStoredPng(dir + "/screen.png");
    ASSERT_TRUE(png.ok);
    ASSERT_EQ(png.width, 6u);
    ASSERT_EQ(png.height, 4u);
    EXPECT_EQ(png.colorType, 2); // RGB
    const bytes_t palette = handPalette();
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 6; ++x) {
            const char cell = GetParam().screen[y][x];
            const unsigned index = cell == '.' ? 0 : unsigned(cell - 'a' + 1);
            for (unsigned c = 0; c < 3; ++c)
                EXPECT_EQ(png.samples[3 * (y * 6 + x) + c], cell == '.' ? 0 : palette[3 * index + c])
                    << "pixel (" << x << ", " << y << ") component " << c;
        }
}

INSTANTIATE_TEST_SUITE_P(Strip, Preview,
                         testing::Values(previewCase_t{"Unlit", {}, {"abc...", "dlf...", ".....h", "...ggj"}},
                                         previewCase_t{"Lit", {"--lit"}, {"abc...", "dlf...", ".....h", "...efj"}}),
                         [](const testing::TestParamInfo<previewCase_t> &info) { return std::string(info.param.name); });

TEST(PreviewFile, ExistingFileIsKeptUnlessForced)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", zbeosWithPack(handPack()));
    writeFile(dir + "/screen.png", "precious");
    ToolRun refused = runInspector({"--preview", dir + "/screen.png", dir + "/zbeos"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              "Error: " + dir + "/screen.png -- file exists (use --force to overwrite it)\n");
    EXPECT_EQ(readFile(dir + "/screen.png"), "precious");

    ToolRun forced = runInspector({"--force", "--preview", dir + "/screen.png", dir + "/zbeos"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(readStoredPng(dir + "/screen.png").ok);
}

// The tool's own previews are the inspector's of the file it wrote, drawn
// without reading that file; a preview left by an earlier run, here the
// inspector's, is replaced.
TEST(PreviewFile, OfTheToolIsTheInspectorsOfTheNewFile)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", makeSampleZbeos());
    ASSERT_EQ(runInspector({"--preview", dir + "/lit.png", dir + "/zbeos"}).status, 0);
    ToolRun made = runDawnmark({"-z", dir + "/zbeos", "-o", dir + "/new", "--preview-lit", dir + "/lit.png",
                                "--preview", dir + "/unlit.png", "splash.txt"},
                               DAWNMARK_SOURCE_DIR "/examples");
    ASSERT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(made.err, "");
    for (const std::vector<std::string> &look : {std::vector<std::string>{"unlit"}, {"lit", "--lit"}}) {
        std::vector<std::string> args(look.begin() + 1, look.end());
        args.insert(args.end(), {"--preview", dir + "/inspected.png", "--force", dir + "/new"});
        ASSERT_EQ(runInspector(args).status, 0);
        EXPECT_EQ(readFile(dir + "/" + look[0] + ".png"), readFile(dir + "/inspected.png")) << look[0];
    }
}

} // namespace

namespace {

struct unrenderableCase_t {
    const char *name;
    bytes_t screen;
    const char *reason;
};

class Unrenderable : public testing::TestWithParam<unrenderableCase_t> {};

TEST_P(Unrenderable, ScreenIsRefusedAndNoFileIsLeft)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", zbeosWithPack(packOf({GetParam().screen, handPalette(),
                                                      packRecord(2, 1, 3, 3, {5, 6}), {},
                                                      packRecord(2, 1, 3, 3, {7, 7})})));
    ToolRun run = runInspector({"--preview", dir + "/screen.png", dir + "/zbeos"});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find("Error: " + dir + "/screen.png -- " + GetParam().reason + "\n"), std::string::npos)
        << run.err;
    EXPECT_FALSE(readStoredPng(dir + "/screen.png").ok);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, Unrenderable,
    testing::Values(
        unrenderableCase_t{"Empty", screenRecord(0, 480, 8),
                           "the screen record's size is empty or larger than 4096 pixels a side"},
        unrenderableCase_t{"Huge", screenRecord(4097, 480, 8),
                           "the screen record's size is empty or larger than 4096 pixels a side"},
        unrenderableCase_t{"Short", bytes_t(8, 1), "the screen record is damaged, there is no screen to render"}),
    [](const testing::TestParamInfo<unrenderableCase_t> &info) { return std::string(info.param.name); });

} // namespace
