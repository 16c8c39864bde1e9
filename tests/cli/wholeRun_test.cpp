// Whole runs of the binary on the synthetic boot loader file.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <unistd.h>

#include "bootfile/littleEndian.h"
#include "bootfile/zbeos.h"
#include "bootfile/zbeosSections.h"
#include "fixtures/bitmapStream.h"
#include "runFolder_support.h"

namespace {

// A bitmap stream: the simplest file every build can load.
bytes_t bitmapStream(uint32_t width, uint32_t height, uint8_t shade)
{
    return bitmapStreamOf(width, height, 0x0008, [&](uint32_t, uint32_t, uint8_t *p) {
        p[0] = shade;
        p[1] = uint8_t(shade / 2);
        p[2] = uint8_t(255 - shade);
        p[3] = 0;
    });
}

class WholeRun : public RunFolder {
protected:
    void SetUp() override
    {
        RunFolder::SetUp();
        zbeos = path("zbeos");
        writeFile(path("a.png"), bitmapStream(100, 50, 200));
    }

    bool exists(const std::string &name) { return access(path(name).c_str(), F_OK) == 0; }

    std::string zbeos;
};

TEST_F(WholeRun, PrintsExactlyTheProgressOfTheRun)
{
    writeFile(dir + "/d", "screen 640 480 8\nicons at 220 420\nimage \"a.png\"\n");
    ToolRun run = runDawnmark({"-z", zbeos, "d"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out, bannerOf(run.out) +
                           "loading a.png\n"
                           "... DataSize: 20000\n"
                           "... Geometry: 100x50\n"
                           "\n"
                           "loading " + zbeos + "\n"
                           "\n"
                           "Replacing images in zbeos\n"
                           "...   0) a.png\n"
                           "\n"
                           "Building new zbeos (./newZbeos)\n"
                           "\n");
    EXPECT_TRUE(exists("newZbeos"));
}

// The screen record of the splash in a written boot loader file: width,
// height and depth.
std::vector<uint32_t> screenRecordOf(const std::string &path)
{
    const std::vector<unsigned char> file = readZbeosFile(path.c_str());
    const std::vector<unsigned char> pack =
        inflateSplash(file.data(), dissectZbeos(file.data(), file.size(), path.c_str()), path.c_str());
    const unsigned char *record = pack.data() + getLE32(pack.data() + 4);
    return {getLE32(record), getLE32(record + 4), getLE32(record + 8)};
}

TEST_F(WholeRun, NoImagesStillWritesANewFileWithTheDefaultScreen)
{
    writeFile(dir + "/d", "# nothing but a comment\n");
    ToolRun run = runDawnmark({"-z", zbeos, "-o", "out", "d"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("Replacing images in zbeos\n\nBuilding new zbeos (out)\n\n"), std::string::npos)
        << run.out;
    EXPECT_EQ(screenRecordOf(dir + "/out"), (std::vector<uint32_t>{640, 480, 16}));
}

TEST_F(WholeRun, ImageListingIsRightAlignedAndIndented)
{
    std::string text;
    for (int i = 0; i < 12; ++i)
        text += "image \"a.png\" at " + std::to_string(i * 10) + " 0\n";
    writeFile(dir + "/d", text);
    ToolRun run = runDawnmark({"-z", zbeos, "-o", "out", "d"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("...   0) a.png\n"), std::string::npos);
    EXPECT_NE(run.out.find("...  11) a.png\n\n"), std::string::npos);
}

TEST_F(WholeRun, OutputIsItselfABootLoaderFile)
{
    writeFile(dir + "/d", "image \"a.png\" at 10 10\n");
    ASSERT_EQ(runDawnmark({"-z", zbeos, "-o", "first", "d"}, dir).status, 0);
    // Eight -v show the dissection, including the pack written by the first run.
    ToolRun again = runDawnmark({"-v", "-v", "-v", "-v", "-v", "-v", "-v", "-v", "-z", "first", "-o", "second", "d"},
                                dir);
    EXPECT_EQ(again.status, 0) << again.err;
    EXPECT_NE(again.out.find("found 2 images\n"), std::string::npos) << again.out;
    EXPECT_NE(again.out.find("OffIcons at slot 5\n"), std::string::npos);
    EXPECT_EQ(readFile(dir + "/first"), readFile(dir + "/second")) << "same input, same bytes";
}

TEST_F(WholeRun, VerbosityShowsOneMoreLevelPerOption)
{
    writeFile(dir + "/d", "image \"a.png\" at 600 0\n");
    ToolRun quiet = runDawnmark({"-z", zbeos, "-o", "out", "d"}, dir);
    ToolRun one = runDawnmark({"-v", "-z", zbeos, "-o", "out", "d"}, dir);
    EXPECT_EQ(quiet.out.find("RowBytes"), std::string::npos);
    EXPECT_NE(one.out.find("... RowBytes: 400\n... Colors  : 8\n... DataSize: 20000\n"), std::string::npos)
        << one.out;
    // The image reaches past the right edge and is clipped to it.
    EXPECT_NE(one.out.find("... clipping to 40 50\n... ... new size 40x50\n"), std::string::npos) << one.out;
    EXPECT_EQ(one.out.find("Dissecting IconPack"), std::string::npos);
}

TEST_F(WholeRun, AbsurdZoomEndsWithAnOutOfMemoryReport)
{
    writeFile(dir + "/out", earlierOutput);
    writeFile(dir + "/d", "image \"a.png\" at 0 0 resized to 99999999999 99999999999\n");
    ToolRun run = runDawnmark({"-z", zbeos, "-o", "out", "d"}, dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "Error: out of memory\n");
    EXPECT_EQ(readFile(dir + "/out"), earlierOutput);
}

TEST_F(WholeRun, LastBootLoaderOptionWins)
{
    writeFile(dir + "/d", "\n");
    ToolRun run = runDawnmark({"-z", dir + "/missing", "-z", zbeos, "-o", "out", "d"}, dir);
    EXPECT_EQ(run.status, 0) << run.err;
}

struct FailedRun {
    const char *name;
    std::string description;
    std::vector<std::string> extraArgs; ///< before the description; paths relative to the run
    std::string expectedErr;
    bool imagesLoadedFirst;
};

class RunFailure : public WholeRun, public testing::WithParamInterface<FailedRun> {};

TEST_P(RunFailure, ReportsAndWritesNothing)
{
    const FailedRun &c = GetParam();
    writeFile(dir + "/out", earlierOutput);
    writeFile(dir + "/d", c.description);
    // As many pixels as the boot loader's 200 x 40 strip, in another shape.
    writeFile(dir + "/tall.png", bitmapStream(40, 200, 90));
    std::vector<std::string> args = {"-z", zbeos, "-o", "out"};
    args.insert(args.end(), c.extraArgs.begin(), c.extraArgs.end());
    args.push_back("d");
    ToolRun run = runDawnmark(args, dir);
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, c.expectedErr);
    EXPECT_EQ(readFile(dir + "/out"), earlierOutput);
    EXPECT_EQ(run.out.find("loading a.png") != std::string::npos, c.imagesLoadedFirst);
}

INSTANTIATE_TEST_SUITE_P(
    Failures, RunFailure,
    testing::Values(
        FailedRun{"SecondImageMissing", "image \"a.png\"\nimage \"b.png\"\n", {}, "Error: LoadImage error -- \n", true},
        FailedRun{"MissingBootLoader", "image \"a.png\"\n", {"-z", "none"}, "Error: none -- File not found\n",
                  true},
        FailedRun{"NotABootLoader", "image \"a.png\"\n", {"-z", "d"}, "Error: d -- doesn't look like a zbeos booter\n",
                  true},
        FailedRun{"OutputDirectoryMissing", "image \"a.png\"\n", {"-o", "no/out"},
                  "Error: no/out -- No such file or directory\n", true},
        FailedRun{"IconStripOfAnotherSize", "image \"a.png\"\nicons \"a.png\" \"a.png\" at 0 0\n", {},
                  "Error: a.png -- the icon strip must be 200 x 40 pixels, as the boot loader's own; a.png is 100 x 50\n", true},
        FailedRun{"IconStripOfAnotherShape", "image \"a.png\"\nicons \"tall.png\" \"tall.png\" at 0 0\n", {},
                  "Error: tall.png -- the icon strip must be 200 x 40 pixels, as the boot loader's own; tall.png is 40 x 200\n", true}),
    [](const testing::TestParamInfo<FailedRun> &info) { return std::string(info.param.name); });

TEST_F(WholeRun, OwnIconStripsAreWrittenAsGivenWhenTheirColoursAreKept)
{
    // The sample's strips use kept colours only: swapped, each comes back
    // as the other, pixel for pixel.
    const zbeos_t sample(zbeos.c_str());
    const zbeosIconPack_t &pack = sample.IconPack();
    for (const std::vector<uint8_t> *record : {&pack.OffIcons(), &pack.Icons()})
        writeFile(dir + (record == &pack.Icons() ? "/unlit.bits" : "/lit.bits"),
                  bitmapStreamOf(200, 40, 0x0008, [&](uint32_t column, uint32_t row, uint8_t *p) {
                      const uint8_t *rgb = pack.Palette() + 3 * (*record)[16 + row * 200 + column];
                      p[0] = rgb[2], p[1] = rgb[1], p[2] = rgb[0], p[3] = 0;
                  }));
    writeFile(dir + "/d", "image \"a.png\"\nicons \"lit.bits\" \"unlit.bits\" at 0 8\n");
    ASSERT_EQ(runDawnmark({"-z", zbeos, "-o", "out", "d"}, dir).status, 0);
    const zbeos_t written((dir + "/out").c_str());
    EXPECT_TRUE(std::equal(pack.OffIcons().begin() + 16, pack.OffIcons().end(), written.IconPack().Icons().begin() + 16));
    EXPECT_TRUE(std::equal(pack.Icons().begin() + 16, pack.Icons().end(), written.IconPack().OffIcons().begin() + 16));
}

TEST_F(WholeRun, SecondMissingImageStopsAfterTheFirstImageLoaded)
{
    writeFile(dir + "/d", "image \"a.png\"\nimage \"b.png\"\n");
    ToolRun run = runDawnmark({"-z", zbeos, "d"}, dir);
    EXPECT_EQ(run.out, bannerOf(run.out) +
                           "loading a.png\n... DataSize: 20000\n... Geometry: 100x50\n\n"
                           "loading b.png\n");
    EXPECT_FALSE(exists("newZbeos"));
}

} // namespace
