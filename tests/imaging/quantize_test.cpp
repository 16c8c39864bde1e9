#include "imaging/quantize.h"
#include "fixtures/plainPalette.h"
#include "fixtures/testImages.h"
#include "support/traceCapture.h"

#include "diagnostics/traceMsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

TEST(Distance, IsTheSquaredEuclideanDistance)
{
    EXPECT_EQ(distance(0, 0, 0, 255, 255, 255), 195075.0);
    EXPECT_EQ(distance(10, 20, 30, 13, 16, 30), 25.0);
    EXPECT_EQ(distance(13, 16, 30, 10, 20, 30), 25.0);
}

TEST(Quantize, TiesGoToTheLowestIndex)
{
    // 10,10,10 lies halfway between entries 3 and 7; 50,50,50 is listed twice.
    palette_t palette =
        paletteOf({0xffffff, 0xff0000, 0x00ff00, 0x080a0a, 0x0000ff, 0x323232, 0x323232, 0x0c0a0a});
    imagePtr image = blankImage(3, 1, 7, 9);
    setPixel(image.get(), 0, 0, 10, 10, 10);
    setPixel(image.get(), 1, 0, 50, 50, 50);
    setPixel(image.get(), 2, 0, 250, 250, 250);
    using quantizer = quantizedImage_t (*)(const loadedImage_t *, const palette_t *);
    for (quantizer quantize : {quantizeImage, plainQuantizeImage}) {
        quantizedImage_t result = quantize(image.get(), &palette);
        EXPECT_EQ(result.pixels[0], 3);
        EXPECT_EQ(result.pixels[1], 5);
        EXPECT_EQ(result.pixels[2], 0);
        EXPECT_EQ(result.x, 7);
        EXPECT_EQ(result.y, 9);
        EXPECT_EQ(result.width, 3u);
        EXPECT_EQ(memcmp(&result.palette, &palette, sizeof palette), 0);
    }
}

TEST(Quantize, EmptyPaletteLeavesEveryIndexAt255)
{
    palette_t palette{};
    imagePtr image = noiseImage(7, 5, 1);
    quantizedImage_t result = quantizeImage(image.get(), &palette);
    for (unsigned i = 0; i < 35; ++i)
        ASSERT_EQ(result.pixels[i], 255);
}

TEST(Quantize, TracesItsWork)
{
    palette_t palette = paletteOf({0});
    imagePtr image = noiseImage(7, 5, 1);
    ident_level = 0;
    EXPECT_EQ(traceOf(2, [&] { quantizeImage(image.get(), &palette); }),
              "... Quantizing image\n... ... Remapping colors... 35 pixels\n");
    EXPECT_EQ(ident_level, 0u);
}

// The product against the reference on palettes from the selection and on
// palettes made to be full of ties.
struct quantizeCase_t {
    const char *name;
    std::function<imagePtr()> image;
    std::function<palette_t(const loadedImage_t *)> palette;
};

std::function<palette_t(const loadedImage_t *)> plainSelected(unsigned maxColors)
{
    return [maxColors](const loadedImage_t *image) {
        return plainGetOptimalPalette(image, maxColors);
    };
}

std::function<palette_t(const loadedImage_t *)> randomPalette(unsigned count, unsigned step,
                                                              uint64_t seed)
{
    // Components on a coarse lattice, with repeats, so that equal distances
    // and duplicate entries are common.
    return [=](const loadedImage_t *) {
        testRandom_t random(seed);
        palette_t palette{};
        for (unsigned i = 0; i < count; ++i) {
            const uint8_t r = uint8_t(random.below(256 / step) * step);
            const uint8_t g = uint8_t(random.below(256 / step) * step);
            palette.append(r, g, uint8_t(random.below(256 / step) * step));
        }
        return palette;
    };
}

// A pixel in each of the first 153600 cells of edge 4 of the colour cube,
// four times over: every cell is asked often enough for a list of its own.
imagePtr cellsImage()
{
    const uint32_t cells = 512 * 300;
    imagePtr image = blankImage(512, 4 * 300);
    testRandom_t random(20);
    for (uint32_t pixel = 0; pixel < 4 * cells; ++pixel) {
        const uint32_t cell = pixel % cells;
        const unsigned red = (cell >> 12) * 4 + random.below(4);
        const unsigned green = (cell >> 6 & 63) * 4 + random.below(4);
        const unsigned blue = (cell & 63) * 4 + random.below(4);
        setPixel(image.get(), pixel % 512, pixel / 512, red, green, blue);
    }
    return image;
}

// 256 entries packed into a 7 x 7 x 6 block: far from it, nearly every entry
// stays a candidate, so the candidate lists outgrow what can be pointed at.
palette_t crowdedPalette(const loadedImage_t *)
{
    palette_t palette{};
    for (unsigned i = 0; i < 256; ++i)
        palette.append(uint8_t(125 + i % 7), uint8_t(125 + i / 7 % 7), uint8_t(125 + i / 49));
    return palette;
}

const quantizeCase_t quantizeCases[] = {
    {"solid", [] { return solidImage(20, 20, 3, 4, 5); }, plainSelected(224)},
    {"halves", [] { return halvesImage(20, 20); }, plainSelected(224)},
    {"few colours", [] { return fewColorsImage(100, 80, 50, 1); }, plainSelected(224)},
    {"noise", [] { return noiseImage(200, 150, 2); }, plainSelected(224)},
    {"noise, 16", [] { return noiseImage(100, 100, 3); }, plainSelected(16)},
    {"noise, 1", [] { return noiseImage(50, 50, 4); }, plainSelected(1)},
    {"gradient", [] { return gradientImage(200, 150, 0, 5); }, plainSelected(224)},
    {"noisy gradient", [] { return gradientImage(200, 150, 30, 6); }, plainSelected(255)},
    {"photo", [] { return photoLikeImage(200, 150, 7); }, plainSelected(224)},
    {"64 small images", [] { return mixedImage(scatteredImages(64, 320, 240, 8), 320, 240); },
     plainSelected(224)},
    {"composite", [] { return photoLikeComposite(9); }, plainSelected(224)},
    {"lattice palette", [] { return noiseImage(160, 120, 10); }, randomPalette(256, 32, 11)},
    {"coarse lattice palette", [] { return noiseImage(160, 120, 12); },
     randomPalette(200, 64, 13)},
    {"two entries", [] { return gradientImage(160, 120, 0, 14); }, randomPalette(2, 128, 15)},
    {"one entry", [] { return noiseImage(40, 40, 16); }, randomPalette(1, 1, 17)},
    {"fine palette", [] { return photoLikeImage(160, 120, 18); }, randomPalette(255, 2, 19)},
    {"crowded palette", cellsImage, crowdedPalette},
};

class QuantizeEquality : public testing::TestWithParam<quantizeCase_t> {};

TEST_P(QuantizeEquality, MatchesTheReferenceAndStaysInThePalette)
{
    imagePtr image = GetParam().image();
    palette_t palette = GetParam().palette(image.get());
    quantizedImage_t fast = quantizeImage(image.get(), &palette);
    quantizedImage_t plain = plainQuantizeImage(image.get(), &palette);
    const uint64_t n = uint64_t(image->width()) * image->height();
    ASSERT_EQ(memcmp(fast.pixels.data(), plain.pixels.data(), n), 0);
    for (uint64_t i = 0; i < n; ++i)
        ASSERT_LT(fast.pixels[i], std::max(palette.size(), 1u)) << i;
}

INSTANTIATE_TEST_SUITE_P(Images, QuantizeEquality, testing::ValuesIn(quantizeCases),
                         [](const testing::TestParamInfo<quantizeCase_t> &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += isalnum(uint8_t(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
