#include "fixtures/wholeImage.h"
#include "imaging/colorCube.h"
#include "imaging/palette.h"
#include "fixtures/plainPalette.h"
#include "fixtures/testImages.h"
#include "support/traceCapture.h"

#include "diagnostics/traceMsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

namespace {

using paletteFunction = std::function<palette_t *()>;

palette_t select(const loadedImage_t *image, unsigned maxColors)
{
    return getOptimalPalette(image, maxColors);
}

std::string colorsOf(const palette_t &palette)
{
    std::string text;
    char entry[32];
    for (unsigned i = 0; i < palette.size(); ++i) {
        snprintf(entry, sizeof entry, "%s%u,%u,%u", i ? " " : "", palette.red(i), palette.green(i),
                 palette.blue(i));
        text += entry;
    }
    return text;
}

TEST(SplitCube, WritesOctantsInOrderWithMidpointCanons)
{
    colorCube_t source{};
    source.rMin = 0, source.rMax = 255, source.gMin = 64, source.gMax = 127;
    source.bMin = 200, source.bMax = 201;
    colorCube_t octants[8];
    splitCube(octants, &source);
    EXPECT_EQ(octants[0].rMax, 127);
    EXPECT_EQ(octants[1].rMin, 128);
    EXPECT_EQ(octants[1].gMax, 95);
    EXPECT_EQ(octants[2].gMin, 96);
    EXPECT_EQ(octants[3].bMax, 200);
    EXPECT_EQ(octants[4].bMin, 201);
    EXPECT_EQ(octants[7].rCanon, 191);
    EXPECT_EQ(octants[7].gCanon, 111);
    EXPECT_EQ(octants[7].bCanon, 201);
    EXPECT_EQ(octants[0].rCanon, 63);
}

TEST(SplitCube, SingleValueRangeHasEmptyUpperHalfEvenAtTheTop)
{
    for (uint8_t v : {uint8_t(7), uint8_t(255)}) {
        colorCube_t source{};
        source.rMin = source.rMax = source.gMin = source.gMax = source.bMin = source.bMax = v;
        colorCube_t octants[8];
        splitCube(octants, &source);
        EXPECT_EQ(octants[0].rMin, v);
        EXPECT_EQ(octants[0].rMax, v);
        for (unsigned k = 1; k < 8; ++k)
            EXPECT_TRUE(octants[k].rMin > octants[k].rMax || octants[k].gMin > octants[k].gMax ||
                        octants[k].bMin > octants[k].bMax)
                << "octant " << k << " of " << unsigned(v);
    }
}

TEST(Palette, OneColorGivesThatColorAndStopsAtEdgeFour)
{
    imagePtr image = solidImage(40, 30, 77, 200, 30);
    palette_t palette;
    const std::string trace = traceOf(9, [&] { palette = select(image.get(), 224); });
    EXPECT_EQ(colorsOf(palette), "77,200,30");
    EXPECT_EQ(trace, "... Selecting palette\n"
                     "... ... Cube Split... 1 Cube\n"
                     "... ... ...1 splits, 0 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ...1 splits, 7 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ...1 splits, 7 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ... split second try\n"
                     "... ... ...1 splits, 7 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ... split second try\n"
                     "... ... ...1 splits, 7 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ... split second try\n"
                     "... ... ...1 splits, 7 removes\n"
                     "... ... Cube Split... 8 Cubes\n"
                     "... ... ... split second try\n"
                     "... ... ...0 splits, 7 removes\n"
                     "... ... Selected 1 colors\n"
                     "... ... Selecting canon...\n");
    EXPECT_EQ(ident_level, 0u);

    const std::vector<colorCube_t> cubes = plainGetCubes(image->pixels().data(), 40 * 30, 224);
    ASSERT_EQ(cubes.size(), 1u);
    EXPECT_EQ(cubes[0].rMin, 76);
    EXPECT_EQ(cubes[0].rMax, 79);
    EXPECT_EQ(cubes[0].bMax - cubes[0].bMin, 3);
}

TEST(Palette, BlackComesBeforeWhiteAndUnusedEntriesAreZero)
{
    imagePtr image = halvesImage(64, 64);
    const palette_t palette = select(image.get(), 224);
    EXPECT_EQ(colorsOf(palette), "0,0,0 255,255,255");
    for (unsigned i = 2; i < 256; ++i)
        ASSERT_EQ(palette.red(i) | palette.green(i) | palette.blue(i), 0) << i;
}

TEST(Palette, SecondTryNeedsFewerNonEmptyBoxesThanTwoThirdsRoundedDown)
{
    // Black and white leave two boxes at edge 64 that pass no test:
    // 2 < 10/3 = 3 asks for a second try, 2 < 8/3 = 2 does not.
    imagePtr image = halvesImage(8, 8);
    for (auto [maxColors, expected] : {std::pair{4u, false}, {5u, true}, {3u, false}}) {
        const unsigned colors = maxColors; // a structured binding cannot be captured before C++20
        const std::string trace = traceOf(9, [&] { select(image.get(), colors); });
        EXPECT_EQ(trace.find("split second try") != std::string::npos, expected) << maxColors;
    }
}

TEST(Palette, SecondTryRaisesTheTargetByTheUnroundedRatio)
{
    // Five groups of two pixels, asking for 9: at edge 64 nothing passes,
    // and 5 < 6 asks for a second try with t multiplied by 9 / 5 = 1.8,
    // which splits the two greys apart. Multiplying by 9 / 5 rounded down
    // would stop and merge them into 25,25,25.
    const uint32_t pixels[] = {0x0a0a0a, 0x282828, 0xc80a0a, 0xc80a0a, 0x0ac80a,
                               0x0ac80a, 0x0a0ac8, 0x0a0ac8, 0xc8c8c8, 0xc8c8c8};
    imagePtr image = blankImage(10, 1);
    for (unsigned i = 0; i < 10; ++i)
        setPixel(image.get(), i, 0, pixels[i] >> 16, (pixels[i] >> 8) & 0xff, pixels[i] & 0xff);
    const char *expected = "200,10,10 10,200,10 10,10,200 200,200,200 10,10,10 40,40,40";
    EXPECT_EQ(colorsOf(select(image.get(), 9)), expected);
    EXPECT_EQ(colorsOf(plainGetOptimalPalette(image.get(), 9)),
              expected);
}

TEST(Palette, MeansAreTakenOverTheChosenBoxesPixels)
{
    struct {
        std::vector<uint32_t> pixels;
        unsigned maxColors;
        const char *expected;
    } cases[] = {
        // One colour asked: nothing splits, the mean of everything.
        {{0x0a141e, 0x0a141e, 0x0a141e, 0x0d1bfa}, 1, "10,21,85"},
        // Two colours in one final box merge into their weighted mean.
        {{0x646464, 0x676767, 0x676767, 0x676767}, 224, "102,102,102"},
        {{0x646464, 0x646464, 0x646464, 0x656766}, 224, "100,100,100"},
    };
    for (const auto &c : cases) {
        imagePtr image = blankImage(unsigned(c.pixels.size()), 1);
        for (unsigned i = 0; i < c.pixels.size(); ++i)
            setPixel(image.get(), i, 0, c.pixels[i] >> 16, (c.pixels[i] >> 8) & 0xff,
                     c.pixels[i] & 0xff);
        EXPECT_EQ(colorsOf(select(image.get(), c.maxColors)), c.expected);
    }
}

TEST(Palette, ColorCountStaysWithinWhatWasAskedAndWhatThePaletteHolds)
{
    // Asking for more than 256 cuts boxes down to single colours and below.
    imagePtr image = noiseImage(64, 64, 3);
    for (auto [maxColors, expected] : {std::pair{0u, 0u}, {1000u, 256u}, {100000u, 256u}})
        EXPECT_EQ(select(image.get(), maxColors).size(), expected) << maxColors;
}

TEST(Palette, SingleColourBoxesAreNeverSplitAgain)
{
    // With a large colour count a one-colour box passes the density test;
    // splitting it would give itself and seven empty boxes, forever.
    for (unsigned maxColors : {300u, 4096u}) {
        imagePtr image = solidImage(8, 8, 10, 20, 30);
        const palette_t palette = select(image.get(), maxColors);
        ASSERT_EQ(palette.size(), 1u) << maxColors;
        EXPECT_EQ(palette.red(0), 10);
        EXPECT_EQ(palette.green(0), 20);
        EXPECT_EQ(palette.blue(0), 30);
    }
}

// The product against the reference: same palette bytes, same trace.
struct equalityCase_t {
    const char *name;
    std::function<imagePtr()> image;
    unsigned maxColors;
};

const equalityCase_t equalityCases[] = {
    {"solid", [] { return solidImage(33, 17, 255, 255, 255); }, 224},
    {"halves", [] { return halvesImage(50, 21); }, 224},
    {"few colours", [] { return fewColorsImage(120, 90, 100, 1); }, 224},
    {"few colours, 16", [] { return fewColorsImage(120, 90, 40, 2); }, 16},
    {"rare colours, edge 1", [] { return rareColorsImage(100, 100, 200); }, 224},
    {"rare colours, edge 2", [] { return rareColorsImage(100, 100, 33); }, 255},
    {"rare colours, 16", [] { return rareColorsImage(100, 100, 33); }, 16},
    {"noise", [] { return noiseImage(160, 120, 3); }, 224},
    {"noise, 255", [] { return noiseImage(160, 120, 4); }, 255},
    {"noise, 256", [] { return noiseImage(64, 64, 5); }, 256},
    {"noise, 2", [] { return noiseImage(64, 64, 6); }, 2},
    {"noise, 1", [] { return noiseImage(64, 64, 7); }, 1},
    {"one pixel", [] { return solidImage(1, 1, 255, 0, 255); }, 224},
    {"gradient", [] { return gradientImage(200, 150, 0, 8); }, 224},
    {"gradient, 16", [] { return gradientImage(200, 150, 0, 9); }, 16},
    {"noisy gradient", [] { return gradientImage(200, 150, 12, 10); }, 224},
    {"noisy gradient, 255", [] { return gradientImage(120, 100, 40, 11); }, 255},
    {"photo", [] { return photoLikeImage(240, 180, 12); }, 224},
    {"photo, 2", [] { return photoLikeImage(120, 90, 13); }, 2},
    {"64 small images",
     [] { return mixedImage(scatteredImages(64, 320, 240, 14), 320, 240); }, 224},
    {"partly outside", [] { return mixedImage(scatteredImages(8, 200, 150, 15), 200, 150); },
     224},
    {"full composite", [] { return photoLikeComposite(16); }, 224},
    {"full noisy gradient", [] { return gradientImage(640, 480, 20, 17); }, 224},
};

class PaletteEquality : public testing::TestWithParam<equalityCase_t> {};

TEST_P(PaletteEquality, MatchesTheReferenceByteForByte)
{
    imagePtr image = GetParam().image();
    const unsigned maxColors = GetParam().maxColors;
    palette_t fast, plain;
    const std::string fastTrace = traceOf(9, [&] { fast = select(image.get(), maxColors); });
    const std::string plainTrace = traceOf(9, [&] {
        plain = plainGetOptimalPalette(image.get(), maxColors);
    });
    EXPECT_EQ(fastTrace, plainTrace);
    EXPECT_EQ(colorsOf(fast), colorsOf(plain));
    EXPECT_EQ(memcmp(&fast, &plain, sizeof(palette_t)), 0);
    EXPECT_LE(fast.size(), std::min(maxColors, 256u));
}

INSTANTIATE_TEST_SUITE_P(Images, PaletteEquality, testing::ValuesIn(equalityCases),
                         [](const testing::TestParamInfo<equalityCase_t> &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += isalnum(uint8_t(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
