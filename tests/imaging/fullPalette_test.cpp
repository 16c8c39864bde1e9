#include "fixtures/wholeImage.h"
#include "imaging/fullPalette.h"
#include "imaging/palette.h"
#include "imaging/plainRender_support.h"
#include "imaging/quantize.h"
#include "fixtures/testImages.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <set>

namespace {

std::set<uint32_t> colorSet(const palette_t &palette)
{
    std::set<uint32_t> colors;
    for (unsigned i = 0; i < palette.size(); ++i)
        colors.insert(palette.rgb(i));
    return colors;
}

std::set<uint32_t> colorSet(const loadedImage_t *image)
{
    std::set<uint32_t> colors;
    for (unsigned r = 0; r < image->height(); ++r)
        for (unsigned c = 0; c < image->width(); ++c)
            colors.insert(pixelAt(image, c, r));
    return colors;
}

/// Sum of squared distances between the image and its mapping to the palette.
uint64_t squaredError(const loadedImage_t *image, const palette_t *palette)
{
    const quantizedImage_t mapped = quantizeImage(image, palette);
    uint64_t sum = 0;
    for (uint64_t p = 0; p < uint64_t(image->width()) * image->height(); ++p) {
        const uint8_t *pixel = image->pixels().data() + p * 4;
        const unsigned j = mapped.pixels[p];
        const int d[3] = {pixel[2] - palette->red(j), pixel[1] - palette->green(j), pixel[0] - palette->blue(j)};
        sum += uint64_t(d[0] * d[0] + d[1] * d[1] + d[2] * d[2]);
    }
    return sum;
}

TEST(FullPalette, FewerColoursThanEntriesAreKeptExactly)
{
    // 60 colours, some close enough to share a box of the subdivision: each
    // must still get an entry of its own.
    for (uint64_t seed : {1, 2, 3}) {
        imagePtr image = fewColorsImage(80, 60, 60, seed);
        const palette_t palette = getFullPalette(image.get(), 224);
        EXPECT_EQ(colorSet(palette), colorSet(image.get())) << seed;
        EXPECT_EQ(palette.size(), colorSet(image.get()).size());
    }
    imagePtr solid = solidImage(9, 9, 1, 2, 3);
    const palette_t one = getFullPalette(solid.get(), 224);
    EXPECT_EQ(colorSet(one), std::set<uint32_t>{0x010203});
}

struct errorCase_t {
    const char *name;
    std::function<imagePtr()> image;
};

class FullPaletteError : public testing::TestWithParam<errorCase_t> {};

TEST_P(FullPaletteError, FillsEveryEntryAndMapsCloserThanTheDefault)
{
    imagePtr image = GetParam().image();
    const palette_t full = getFullPalette(image.get(), 224);
    const palette_t plain = getOptimalPalette(image.get(), 224);
    EXPECT_EQ(full.size(), 224u);
    EXPECT_EQ(colorSet(full).size(), 224u) << "no entry wasted on a repeat";
    EXPECT_LT(squaredError(image.get(), &full), squaredError(image.get(), &plain));
    for (unsigned i = 224; i < 256; ++i)
        ASSERT_EQ(full.red(i) | full.green(i) | full.blue(i), 0) << i;
}

INSTANTIATE_TEST_SUITE_P(Images, FullPaletteError,
                         testing::Values(errorCase_t{"Gradient", [] { return gradientImage(320, 240, 0, 1); }},
                                         errorCase_t{"NoisyGradient", [] { return gradientImage(320, 240, 20, 2); }},
                                         errorCase_t{"Photo", [] { return photoLikeImage(320, 240, 3); }},
                                         errorCase_t{"Composite", [] { return photoLikeComposite(4); }}),
                         [](const testing::TestParamInfo<errorCase_t> &info) { return std::string(info.param.name); });

// The product against the reference: images with few and many colours,
// colours finer than the cells of the selection, and palette sizes from 1.
struct fullCase_t {
    const char *name;
    std::function<imagePtr()> image;
    unsigned maxColors;
    std::vector<uint32_t> fixed = {};
    bool exact = false; ///< every colour of the image is among the fixed and the chosen ones
    std::set<uint32_t> chosen = {}; ///< when given, the colours chosen
};

const fullCase_t fullCases[] = {
    {"solid", [] { return solidImage(20, 20, 3, 4, 5); }, 224},
    {"halves", [] { return halvesImage(20, 20); }, 224},
    {"few colours", [] { return fewColorsImage(100, 80, 50, 1); }, 224},
    {"rare colours", [] { return rareColorsImage(120, 100, 7); }, 224},
    {"gradient", [] { return gradientImage(200, 150, 0, 5); }, 224},
    {"noisy gradient", [] { return gradientImage(200, 150, 30, 6); }, 256},
    {"photo", [] { return photoLikeImage(200, 150, 7); }, 224},
    {"photo, 16", [] { return photoLikeImage(120, 90, 8); }, 16},
    {"noise, 1", [] { return noiseImage(50, 50, 4); }, 1},
    {"noise, 2", [] { return noiseImage(50, 50, 5); }, 2},
    {"64 small images", [] { return mixedImage(scatteredImages(64, 240, 180, 8), 240, 180); }, 224},
    {"224 colours beside black and white, kept ones",
     [] {
         imagePtr image = fewColorsImage(120, 90, 224, 11);
         for (unsigned i = 0; i < 120 * 90; i += 7)
             setPixel(image.get(), i % 120, i / 120, i % 2 * 255, i % 2 * 255, i % 2 * 255);
         return image;
     },
     224, bootLoaderColors(), true},
    // Pixels 10 levels from a kept grey are served by it: the one colour chosen is the other half's.
    {"kept grey's neighbours beside one colour, 1",
     [] {
         imagePtr image = solidImage(20, 20, 0x80, 0xc8, 0x28);
         for (unsigned i = 0; i < 200; ++i)
             setPixel(image.get(), i % 20, i / 20, 0xb4, 0xb4, 0xb4);
         return image;
     },
     1, bootLoaderColors(), false, {0x80c828}},
};

class FullPaletteEquality : public testing::TestWithParam<fullCase_t> {};

TEST_P(FullPaletteEquality, MatchesTheReference)
{
    imagePtr image = GetParam().image();
    const palette_t fixed = paletteOf(GetParam().fixed);
    const palette_t fast = getFullPalette(image.get(), GetParam().maxColors, &fixed);
    const palette_t plain = plainGetFullPalette(image.get(), GetParam().maxColors, &fixed);
    ASSERT_EQ(fast.size(), plain.size());
    EXPECT_EQ(memcmp(&fast, &plain, sizeof(palette_t)), 0);
    EXPECT_LE(fast.size(), GetParam().maxColors);
    std::set<uint32_t> both = colorSet(fast), wanted = colorSet(image.get());
    both.insert(GetParam().fixed.begin(), GetParam().fixed.end());
    EXPECT_TRUE(!GetParam().exact || std::includes(both.begin(), both.end(), wanted.begin(), wanted.end()));
    EXPECT_TRUE(GetParam().chosen.empty() || colorSet(fast) == GetParam().chosen);
}

INSTANTIATE_TEST_SUITE_P(Images, FullPaletteEquality, testing::ValuesIn(fullCases),
                         [](const testing::TestParamInfo<fullCase_t> &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += isalnum(uint8_t(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
