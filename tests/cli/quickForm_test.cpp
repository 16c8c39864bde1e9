// The quick form shows at -v the description it stands for, which, run by
// hand with the options the quick form turns on, writes the same file.
#include <gtest/gtest.h>

#include "fixtures/imageFiles.h"
#include "inspect/inspectFixtures_support.h"
#include "runFolder_support.h"

namespace {

// A boot loader made for a screen of 800 x 600 at depth 16, its strip at (300, 540).
bytes_t largeScreenZbeos()
{
    const bytes_t strip = packRecord(200, 40, 300, 540, bytes_t(8000, 7));
    return zbeosWithPack(packOf({screenRecord(800, 600, 16), handPalette(), strip, {}, strip}));
}

struct quickCase_t {
    const char *name;
    std::vector<std::string> options;
    bool largeScreenLoader; ///< the boot loader of largeScreenZbeos (depth 16), not the sample (depth 8)
    std::string screen;  ///< its size in the description
    const char *icons;   ///< the strip's place in the description
    std::string form;    ///< how the photo fills it
    std::string decoded; ///< the size the photo is decoded at
    std::string focus;   ///< what follows the box in the description
};

class QuickForm : public RunFolder, public testing::WithParamInterface<quickCase_t> {};

TEST_P(QuickForm, TracesTheDescriptionThatWritesTheSameFile)
{
    const quickCase_t &c = GetParam();
    if (c.largeScreenLoader)
        writeFile(path("zbeos"), largeScreenZbeos());
    writeFile(path("photo.jpg"), encodeJpeg(colourfulImage(2600, 2000), jpegKind_t::colour));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-v", "-z", "zbeos", "-o", "quick", "--picture", "photo.jpg"});
    const ToolRun quick = runDawnmark(args, dir);
    ASSERT_EQ(quick.status, 0) << quick.err;
    const std::string text = "# made for Dawnmark --full-palette --dither --alpha\nscreen " + c.screen +
                             (c.largeScreenLoader ? " 16" : " 8") + "\nicons at " + c.icons +
                             "\nimage \"photo.jpg\" at 0 0 " + c.form + " " + c.screen + c.focus + "\n";
    EXPECT_NE(quick.out.find("The description of this run:\n" + text + "\n"), std::string::npos) << quick.out;
    EXPECT_NE(quick.out.find("Geometry: " + c.decoded + "\n"), std::string::npos) << quick.out;

    const ToolRun byHand = run(text, {"--full-palette", "--dither", "--alpha", "-z", "zbeos", "-o", "by-hand"});
    ASSERT_EQ(byHand.status, 0) << byHand.err;
    EXPECT_EQ(readFile(path("by-hand")), readFile(path("quick")));
}

// The sample boot loader's screen is 640 x 480 at depth 8, its strip at
// (220, 420); the photo is decoded at the least of the library's fast
// eighths (1, 2, 4 or 8) that still spans three times the screen; the strip
// moves with the screen.
INSTANTIATE_TEST_SUITE_P(
    Forms, QuickForm,
    testing::Values(
        quickCase_t{"OwnScreen", {}, false, "640 480", "220 420", "covering", "2600x2000", ""},
        quickCase_t{"ChosenScreen", {"--screen", "800x600"}, false, "800 600", "300 540", "covering", "2600x2000", ""},
        quickCase_t{"SmallScreen", {"--screen", "400x300"}, false, "400 300", "100 240", "covering", "1300x1000", ""},
        quickCase_t{"WholePhoto", {"--fit"}, false, "640 480", "220 420", "within", "2600x2000", ""},
        quickCase_t{"Focus", {"--focus", "50%,30%"}, false, "640 480", "220 420", "covering", "2600x2000", " focus 50 30"},
        quickCase_t{"LargeOwnScreen", {}, true, "800 600", "300 540", "covering", "2600x2000", ""},
        quickCase_t{"OnLarge", {"--screen", "1024x768"}, true, "1024 768", "412 708", "covering", "2600x2000", ""},
        quickCase_t{"FlatScreen", {"--screen", "640x50"}, false, "640 50", "220 0", "covering", "2600x2000", ""}),
    [](const testing::TestParamInfo<quickCase_t> &info) { return std::string(info.param.name); });

// The photo is blown up 40 times to cover the screen: the user is told
// without asking; a description's picture is told under -v.
TEST_F(RunFolder, PictureZoomedUpFarIsTold)
{
    writeFile(path("a.png"), encodePng(colourfulImage(16, 16), false));
    const std::string told = "a.png is 16 x 16, zoomed 40 times: it will look soft\n";
    const ToolRun quick = runDawnmark({"-z", "zbeos", "-o", "quick", "--picture", "a.png"}, dir);
    EXPECT_NE(quick.out.find(told), std::string::npos) << quick.out;
    const std::string description = "image \"a.png\" at 0 0 resized to 640 480\n";
    EXPECT_EQ(run(description, {"-z", "zbeos", "-o", "plain"}).out.find(told), std::string::npos);
    EXPECT_NE(run(description, {"-v", "-z", "zbeos", "-o", "plain"}).out.find("16 x 16, zoomed 30 times"),
              std::string::npos);
}

class Smooth : public RunFolder {};

TEST_F(Smooth, FiltersOnlyImagesResized)
{
    copyExampleImages();
    for (const std::string size : {"", " at 0 0 resized to 50 50"}) {
        const std::string description = "image \"sun.png\"" + size + "\n";
        ASSERT_EQ(run(description, {"-z", "zbeos", "-o", "plain"}).status, 0);
        ASSERT_EQ(run(description, {"--smooth", "-z", "zbeos", "-o", "smooth"}).status, 0);
        EXPECT_EQ(readFile(path("plain")) != readFile(path("smooth")), !size.empty()) << description;
    }
}

} // namespace
