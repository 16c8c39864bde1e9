// A boot loader file written by Dawnmark, inspected and extracted: the PNG
// files hold exactly the pack's index bytes and palette, and with their
// description they rebuild the same boot screen.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <zlib.h>

#include "bootfile/littleEndian.h"
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

// The extracted files and their description make the same boot screen
// again. The first splash is dithered over a full palette: every one of its
// 224 colours must come back.
TEST(RoundTrip, RebuildFromTheExtractedDescriptionLooksTheSame)
{
    const std::string dir = makeScratchDirectory();
    writeFile(dir + "/zbeos", makeSampleZbeos());
    ASSERT_EQ(runDawnmark({"--full-palette", "--dither", "-z", dir + "/zbeos", "-o", dir + "/first", "splash.txt"},
                          DAWNMARK_SOURCE_DIR "/examples")
                  .status,
              0);
    ToolRun extracted = runInspector({"--extract", dir + "/art", "--preview", dir + "/first.png", dir + "/first"});
    ASSERT_EQ(extracted.status, 0) << extracted.err;
    ToolRun rebuilt = runDawnmark({"--full-palette", "-z", dir + "/zbeos", "-o", dir + "/second", "splash.txt"},
                                  dir + "/art");
    ASSERT_EQ(rebuilt.status, 0) << rebuilt.err;
    ASSERT_EQ(runInspector({"--preview", dir + "/second.png", dir + "/second"}).status, 0);

    const storedPng_t first = readStoredPng(dir + "/first.png"), second = readStoredPng(dir + "/second.png");
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_EQ(std::make_pair(first.width, first.height), std::make_pair(second.width, second.height));
    EXPECT_TRUE(first.samples == second.samples);
}

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
