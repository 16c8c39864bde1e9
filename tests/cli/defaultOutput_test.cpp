// Runs without any of the long options write the same bytes and print the
// same trace as the tool did before those options existed. The checksums
// were taken from that earlier build; images with transparency, overlaps
// and a screen larger than the palette's canvas are among the inputs, since
// those are what the options change.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fixtures/bitmapStream.h"
#include "runFolder_support.h"

namespace {

/// A 'bits' stream of the given colour space whose pixels come from `shade`
/// (blue, green, red, fourth byte).
bytes_t bitsStream(uint32_t width, uint32_t height, uint32_t colors,
                   uint32_t (*shade)(uint32_t column, uint32_t row))
{
    return bitmapStreamOf(width, height, colors, [shade](uint32_t column, uint32_t row, uint8_t *bgra) {
        const uint32_t v = shade(column, row);
        for (int i = 0; i < 4; ++i)
            bgra[i] = uint8_t(v >> (8 * i));
    });
}

const uint32_t rgb32 = 0x0008, rgba32 = 0x2008;

uint32_t skyShade(uint32_t column, uint32_t row)
{
    return 0xff000000u | (20 + row * 200 / 480) << 16 | (40 + row * 120 / 480) << 8 | (150 - column / 8);
}
// Alpha falls from the middle outwards, with a fully transparent border.
uint32_t discShade(uint32_t column, uint32_t row)
{
    const int dx = int(column) - 60, dy = int(row) - 60;
    const int d = dx * dx + dy * dy;
    const uint32_t alpha = d >= 3600 ? 0 : uint32_t(255 - d * 255 / 3600);
    return alpha << 24 | 250u << 16 | (200 - column) << 8 | row;
}
// No alpha in the colour space, yet 0 in every fourth byte.
uint32_t stripeShade(uint32_t column, uint32_t row) { return (column * 3 & 255) << 16 | row << 8 | 90; }

// How the checksums in the table are regenerated, as its comment says.
const char *const regenerating =
    "The checksums are zlib's crc32 of the written file and of standard output after the banner; "
    "tests/cli/defaultOutput/ holds a copy of each, named by its checksum. The default output must "
    "not change: only for a change agreed on, run this test with "
    "DAWNMARK_REFERENCE_DIR=<source>/tests/cli/defaultOutput, which writes the new copies there; "
    "put the actual checksums the failures report into the table and remove copies no row names.";

// Where actual first departs from the copy of the expected bytes, named by
// their checksum and kind (".out", ".trace"): the offset, the expected byte
// and the actual one.
std::string firstDifference(const std::string &actual, uint32_t checksum, const char *kind)
{
    const std::string name = "tests/cli/defaultOutput/" + std::to_string(checksum) + kind;
    const std::string expected = readFile(DAWNMARK_SOURCE_DIR "/" + name);
    if (expected.empty())
        return "There is no copy " + name + " to compare with. " + regenerating;
    const size_t common = std::min(expected.size(), actual.size());
    const size_t at = size_t(std::mismatch(expected.begin(), expected.begin() + common, actual.begin()).first -
                             expected.begin());
    auto byteAt = [at](const std::string &bytes) {
        char text[16] = "end of file";
        if (at < bytes.size())
            snprintf(text, sizeof text, "0x%02x", unsigned(uint8_t(bytes[at])));
        return std::string(text);
    };
    return "First difference from " + name + " at offset " + std::to_string(at) + ": expected " +
           byteAt(expected) + ", actual " + byteAt(actual) + ". " + regenerating;
}

struct defaultCase_t {
    const char *name;
    const char *description;
    std::vector<std::string> options; ///< before "-z zbeos -o out d"
    uint32_t outputCrc;
    uint32_t traceCrc; ///< standard output after the banner
};

class DefaultOutput : public RunFolder, public testing::WithParamInterface<defaultCase_t> {};

TEST_P(DefaultOutput, IsByteForByteWhatItWas)
{
    const defaultCase_t &c = GetParam();
    copyExampleImages();
    writeFile(path("sky.bits"), bitsStream(640, 480, rgb32, skyShade));
    writeFile(path("disc.bits"), bitsStream(120, 120, rgba32, discShade));
    writeFile(path("stripe.bits"), bitsStream(300, 30, rgb32, stripeShade));

    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"-z", "zbeos", "-o", "out"});
    ToolRun result = run(c.description, args);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const std::string out = readFile(path("out"));
    const std::string trace = result.out.substr(bannerOf(result.out).size());
    if (const char *copies = getenv("DAWNMARK_REFERENCE_DIR")) {
        writeFile(std::string(copies) + "/" + std::to_string(crcOf(out)) + ".out", out);
        writeFile(std::string(copies) + "/" + std::to_string(crcOf(trace)) + ".trace", trace);
    }
    EXPECT_EQ(crcOf(out), c.outputCrc) << firstDifference(out, c.outputCrc, ".out");
    EXPECT_EQ(crcOf(trace), c.traceCrc) << firstDifference(trace, c.traceCrc, ".trace") << "\n" << trace;
}

const char *const exampleSplash = "screen 640 480 16\nicons at 220 420\nimage \"background.png\"\n"
                                  "image \"sun.png\" at 260 200\n"
                                  "image \"stripe.tga\" at 0 330 resized to 640 24\n";
// The disc overlaps the sky and the stripe, and the stripe and the second
// disc reach past column 639 and row 479 of an 800 x 600 screen.
const char *const layeredSplash = "screen 800 600 8\nicons at 700 580\nimage \"sky.bits\"\n"
                                  "image \"stripe.bits\" at 500 100\nimage \"disc.bits\" at 450 60\n"
                                  "image \"disc.bits\" at 600 420\n";

const std::vector<std::string> eightV(8, "-v");

// Checksums (zlib's crc32) of the written file and of standard output after
// the banner, from a build before the long options; tests/cli/defaultOutput/
// holds a copy of each output, named by its checksum, to show where a run
// departs from it. They must not change. Only for a change agreed on are they
// regenerated: run this test with
//   DAWNMARK_REFERENCE_DIR=<source>/tests/cli/defaultOutput
// which writes each run's file and trace there under their new checksums,
// put the actual checksums its failures report here, and remove the copies
// that no row names any more. Agreed so far: LayeredTraced's trace gained the
// hint at --alpha that -v gives for each of its transparent discs.
INSTANTIATE_TEST_SUITE_P(
    Runs, DefaultOutput,
    testing::Values(defaultCase_t{"Example", exampleSplash, {}, 727198715u, 3910148977u},
                    defaultCase_t{"ExampleTraced", exampleSplash, eightV, 727198715u, 1111608897u},
                    defaultCase_t{"Layered", layeredSplash, {}, 3574397565u, 4292829019u},
                    defaultCase_t{"LayeredTraced", layeredSplash, eightV, 3574397565u, 1645805991u}),
    [](const testing::TestParamInfo<defaultCase_t> &info) { return std::string(info.param.name); });

} // namespace
