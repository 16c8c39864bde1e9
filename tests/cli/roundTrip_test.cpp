// A boot loader file written by Dawnmark, inspected and extracted: the PNG
// files hold exactly the pack's index bytes and palette, and with their
// description they rebuild the same boot screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <zlib.h>

#include "bootfile/littleEndian.h"
#include "fixtures/imageFiles.h"
#include "storedPng_support.h"
#include "support/files.h"
#include "support/runTool.h"
#include "support/scratch.h"
#include "tools/sampleZbeos.h"

namespace {

// Inflates the splash member as an ordinary gzip member, so that its CRC
// and length are checked by zlib rather than by the code under test.
bytes_t splashPackOf(const bytes_t &file)
{
    const char name[] = "images";
    auto at = std::search(file.begin(), file.end(), name, name + sizeof name);
    EXPECT_NE(at, file.end());
    const size_t member = size_t(at - file.begin()) - 10;
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    EXPECT_EQ(inflateInit2(&stream, 16 + 15), Z_OK);
    bytes_t pack(1 << 21);
    stream.next_in = const_cast<Bytef *>(file.data() + member);
    stream.avail_in = uInt(file.size() - member);
    stream.next_out = pack.data();
    stream.avail_out = uInt(pack.size());
    EXPECT_EQ(inflate(&stream, Z_FINISH), Z_STREAM_END);
    pack.resize(stream.total_out);
    inflateEnd(&stream);
    return pack;
}

struct record_t {
    unsigned slot;
    const unsigned char *area;
};

TEST(RoundTrip, ExtractedImagesAreThePacksImages)
{
    const std::string dir = makeScratchDirectory();
    const bytes_t sample = makeSampleZbeos();
    writeFile(dir + "/zbeos", sample);
    ToolRun made = runDawnmark({"-z", dir + "/zbeos", "-o", dir + "/newZbeos", "splash.txt"},
                               DAWNMARK_SOURCE_DIR "/examples");
    ASSERT_EQ(made.status, 0) << made.err;

    ToolRun inspected = runInspector({"--extract", dir + "/art", dir + "/newZbeos"});
    ASSERT_EQ(inspected.status, 0) << inspected.err;
    EXPECT_EQ(inspected.err, "");
    EXPECT_NE(inspected.out.find("CRC-32  0x"), std::string::npos);
    EXPECT_NE(inspected.out.find("matches the inflated data\n  length"), std::string::npos) << inspected.out;

    // Dawnmark writes the example's three images, then OffIcons at slot 7.
    const bytes_t pack = splashPackOf(readBytes(dir + "/newZbeos"));
    const unsigned char *palette = pack.data() + getLE32(pack.data() + 12);
    const std::vector<std::pair<std::string, unsigned>> files = {
        {"slot02-icons.png", 2}, {"slot04-image.png", 4}, {"slot05-image.png", 5},
        {"slot06-image.png", 6}, {"slot07-officons.png", 7}};
    for (const auto &[name, slot] : files) {
        SCOPED_TRACE(name);
        const unsigned char *area = pack.data() + getLE32(pack.data() + 8 * slot + 4);
        const uint32_t width = getLE32(area), height = getLE32(area + 4);
        const storedPng_t png = readStoredPng(dir + "/art/" + name);
        ASSERT_TRUE(png.ok);
        EXPECT_EQ(png.colorType, 3); // palette
        EXPECT_EQ(png.bitDepth, 8);
        EXPECT_EQ(png.width, width);
        EXPECT_EQ(png.height, height);
        EXPECT_TRUE(png.samples == bytes_t(area + 16, area + 16 + size_t(width) * height));
        EXPECT_TRUE(png.palette == bytes_t(palette, palette + 768));
    }
    EXPECT_EQ(getLE32(pack.data() + 8 * 8), 0u) << "a record beyond slot 7";
}

/// A w x h PNG of vertical stripes, one colour (red << 16 | green << 8 |
/// blue) after the other.
bytes_t stripesPng(uint32_t w, uint32_t h, std::vector<uint32_t> colours)
{
    rgbaImage_t image;
    image.width = w;
    image.height = h;
    for (uint32_t row = 0; row < h; ++row)
        for (uint32_t column = 0; column < w; ++column) {
            const uint32_t colour = colours[column * colours.size() / w];
            image.rgba.insert(image.rgba.end(), {uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour), 255});
        }
    return encodePng(image, false);
}

// The extracted files and their description make the same boot screen
// again, lit and unlit. The example is dithered over a full palette: every
// one of its 224 colours must come back. Strips of the splash's own colours
// must come back as they were, mapped to the new palette, also when the
// only one they use is the first chosen (a screen and strips of one colour).
struct roundTrip_t {
    const char *name;
    std::vector<std::string> options;
    std::string description; ///< empty: the example's
};

class RoundTripRebuild : public testing::TestWithParam<roundTrip_t> {};

TEST_P(RoundTripRebuild, FromTheExtractedDescriptionLooksTheSame)
{
    const roundTrip_t &c = GetParam();
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", makeSampleZbeos());
    std::string source = DAWNMARK_SOURCE_DIR "/examples";
    if (!c.description.empty()) {
        source = dir;
        writeFile(dir + "/splash.txt", c.description);
        writeFile(dir + "/art.png", stripesPng(64, 48, {0x102030, 0xc08040, 0x20a060}));
        writeFile(dir + "/lit.png", stripesPng(200, 40, {0xff0000, 0xffff00, 0x00ff00, 0x00ffff, 0x0000ff}));
        writeFile(dir + "/unlit.png", stripesPng(200, 40, {0x404040, 0x808080, 0x000000}));
        writeFile(dir + "/flat.png", stripesPng(200, 40, {0x336699}));
    }
    std::vector<std::string> first = c.options;
    first.insert(first.end(), {"-z", dir + "/zbeos", "-o", dir + "/first", "splash.txt"});
    ASSERT_EQ(runDawnmark(first, source).status, 0);
    ToolRun extracted = runInspector({"--extract", dir + "/art", dir + "/first"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    ToolRun rebuilt = runDawnmark({"--full-palette", "-z", dir + "/zbeos", "-o", dir + "/second", "splash.txt"},
                                  dir + "/art");
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.err;

    for (const std::string lit : {"", "--lit"}) {
        for (const std::string file : {"first", "second"}) {
            std::vector<std::string> args = {"--force", "--preview", dir + "/" + file + lit + ".png", dir + "/" + file};
            if (!lit.empty())
                args.push_back(lit);
            ASSERT_EQ(runInspector(args).status, 0);
        }
        const storedPng_t one = readStoredPng(dir + "/first" + lit + ".png");
        const storedPng_t two = readStoredPng(dir + "/second" + lit + ".png");
        ASSERT_TRUE(one.ok && two.ok);
        EXPECT_EQ(std::make_pair(one.width, one.height), std::make_pair(two.width, two.height));
        EXPECT_TRUE(one.samples == two.samples) << lit;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Splashes, RoundTripRebuild,
    testing::Values(roundTrip_t{"DitheredExample", {"--full-palette", "--dither"}, ""},
                    roundTrip_t{"OwnIcons", {"--full-palette"},
                                "screen 640 480 8\nicons \"lit.png\" \"unlit.png\" at 220 420\n"
                                "image \"art.png\" at 10 10\n"},
                    roundTrip_t{"StripsOfTheFirstChosenColour", {"--full-palette"},
                                "screen 200 40 8\nicons \"flat.png\" \"flat.png\" at 0 0\nimage \"flat.png\"\n"}),
    [](const testing::TestParamInfo<roundTrip_t> &info) { return std::string(info.param.name); });

TEST(RoundTrip, ExtractionNeverReplacesFilesUnlessForced)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", makeSampleZbeos());
    ASSERT_EQ(runInspector({"--extract", dir + "/art/old", dir + "/zbeos"}).status, 0);
    writeFile(dir + "/art/old/slot05-image.png", "edited");
    // A refusal leaves every file as it was, not only the one in the way.
    remove((dir + "/art/old/slot02-icons.png").c_str());

    ToolRun refused = runInspector({"--extract", dir + "/art/old", dir + "/zbeos"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err, "Error: " + dir + "/art/old/slot04-image.png -- file exists (use --force to overwrite it)\n");
    EXPECT_EQ(readFile(dir + "/art/old/slot05-image.png"), "edited");
    EXPECT_FALSE(readStoredPng(dir + "/art/old/slot02-icons.png").ok);

    ToolRun forced = runInspector({"-f", "-x", dir + "/art/old", dir + "/zbeos"});
    EXPECT_EQ(forced.status, 0) << forced.err;
    EXPECT_TRUE(readStoredPng(dir + "/art/old/slot05-image.png").ok);
    EXPECT_TRUE(readStoredPng(dir + "/art/old/slot02-icons.png").ok);
}

} // namespace
