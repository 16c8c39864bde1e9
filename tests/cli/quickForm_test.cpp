// The quick form seen from outside: -v shows the description it stands
// for, and that description, run by hand with the options the quick form
// turns on, writes the very same file.
#include <gtest/gtest.h>

#include "fixtures/imageFiles.h"
#include "runFolder_support.h"

namespace {

struct quickCase_t {
    const char *name;
    std::vector<std::string> options;
    std::string description; ///< the traced description after its comment line
    std::string decoded;     ///< the size the photo is decoded at
};

class QuickForm : public RunFolder, public testing::WithParamInterface<quickCase_t> {};

TEST_P(QuickForm, TracesTheDescriptionThatWritesTheSameFile)
{
    const quickCase_t &c = GetParam();
    writeFile(path("photo.jpg"), encodeJpeg(colourfulImage(1300, 1000), jpegKind_t::colour));
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-v", "-z", "zbeos", "-o", "quick", "--picture", "photo.jpg"});
    const ToolRun quick = runDawnmark(args, dir);
    ASSERT_EQ(quick.status, 0) << quick.err;
    const std::string title = "The description of this run:\n# made for Dawnmark --full-palette --dither --alpha\n";
    const size_t start = quick.out.find(title);
    ASSERT_NE(start, std::string::npos) << quick.out;
    const std::string text = quick.out.substr(start + title.size(), c.description.size() + 1);
    EXPECT_EQ(text, c.description + "\n");
    EXPECT_NE(quick.out.find("Geometry: " + c.decoded + "\n"), std::string::npos) << quick.out;

    const ToolRun byHand = run(text, {"--full-palette", "--dither", "--alpha", "-z", "zbeos", "-o", "by-hand"});
    ASSERT_EQ(byHand.status, 0) << byHand.err;
    EXPECT_EQ(readFile(path("by-hand")), readFile(path("quick")));
}

// The sample boot loader's screen is 640 x 480 at depth 8, its strip at
// (220, 420); the photo's half size still covers that screen.
INSTANTIATE_TEST_SUITE_P(
    Forms, QuickForm,
    testing::Values(quickCase_t{"OwnScreen", {},
                                "screen 640 480 8\nicons at 220 420\nimage \"photo.jpg\" at 0 0 covering 640 480\n",
                                "650x500"},
                    quickCase_t{"ChosenScreen", {"--screen", "800x600"},
                                "screen 800 600 8\nicons at 220 420\nimage \"photo.jpg\" at 0 0 covering 800 600\n",
                                "1300x1000"},
                    quickCase_t{"WholePhoto", {"--fit"},
                                "screen 640 480 8\nicons at 220 420\nimage \"photo.jpg\" at 0 0 within 640 480\n",
                                "650x500"}),
    [](const testing::TestParamInfo<quickCase_t> &info) { return std::string(info.param.name); });

class Smooth : public RunFolder {};

TEST_F(Smooth, ChangesOnlyImagesResized)
{
    copyExampleImages();
    const struct {
        const char *description;
        bool changed;
    } cases[] = {{"image \"sun.png\"\n", false}, {"image \"sun.png\" at 0 0 resized to 50 50\n", true}};
    for (const auto &c : cases) {
        ASSERT_EQ(run(c.description, {"-z", "zbeos", "-o", "plain"}).status, 0);
        ASSERT_EQ(run(c.description, {"--smooth", "-z", "zbeos", "-o", "smooth"}).status, 0);
        EXPECT_EQ(readFile(path("plain")) != readFile(path("smooth")), c.changed) << c.description;
    }
}

} // namespace
