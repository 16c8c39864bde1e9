#include "imaging/mixImages.h"
#include "imaging/quantize.h"
#include "fixtures/plainPalette.h"
#include "fixtures/testImages.h"
#include "support/traceCapture.h"

#include "diagnostics/traceMsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

struct quantizedDeleter_t {
    void operator()(quantizedImage_t *image) const
    {
        delete[] image->pixels;
        delete image;
    }
};
using quantizedPtr = std::unique_ptr<quantizedImage_t, quantizedDeleter_t>;

TEST(MixImages, NoImagesGiveABlackCanvas)
{
    imagePtr canvas(mixImages(nullptr, 0, 64, 48));
    ASSERT_EQ(canvas->width, 64u);
    ASSERT_EQ(canvas->height, 48u);
    for (unsigned i = 0; i < 64 * 48 * 4; ++i)
        ASSERT_EQ(canvas->pixels[i], 0) << i;
}

TEST(MixImages, LaterImagesCoverEarlierOnesWithAllFourBytes)
{
    std::vector<imagePtr> images;
    images.push_back(solidImage(10, 10, 255, 0, 0));
    images.push_back(solidImage(10, 10, 0, 0, 255));
    images[1]->x = 5;
    images[1]->y = 5;
    images[1]->pixels[3] = 0x80;
    imagePtr canvas = mixedImage(images, 20, 20);
    EXPECT_EQ(pixelAt(canvas.get(), 4, 4), 0xff0000u);
    EXPECT_EQ(pixelAt(canvas.get(), 5, 5), 0x0000ffu);
    EXPECT_EQ(canvas->pixels[(5 * 20 + 5) * 4 + 3], 0x80);
    EXPECT_EQ(pixelAt(canvas.get(), 14, 14), 0x0000ffu);
    EXPECT_EQ(pixelAt(canvas.get(), 15, 15), 0u);
}

TEST(MixImages, ImagesPastTheEdgesContributeOnlyWhatLiesInside)
{
    // 100 wide at x 600 of 640: 40 columns, rows still read 400 bytes apart.
    std::vector<imagePtr> images;
    images.push_back(blankImage(100, 30, 600, 470));
    for (unsigned r = 0; r < 30; ++r)
        for (unsigned c = 0; c < 100; ++c)
            setPixel(images[0].get(), c, r, r, c, 1);
    images.push_back(solidImage(5, 5, 9, 9, 9));
    images[1]->x = 700;
    images.push_back(solidImage(5, 5, 9, 9, 9));
    images[2]->y = 480;
    imagePtr canvas = mixedImage(images, 640, 480);
    EXPECT_EQ(pixelAt(canvas.get(), 639, 479), 9u << 16 | 39u << 8 | 1u);
    EXPECT_EQ(pixelAt(canvas.get(), 600, 471), 1u << 16 | 0u << 8 | 1u);
    EXPECT_EQ(pixelAt(canvas.get(), 599, 479), 0u);
    for (unsigned r = 0; r < 480; ++r)
        for (unsigned c = 0; c < 640; ++c)
            if (canvas->pixels[(r * 640 + c) * 4] == 9)
                ADD_FAILURE() << "off-canvas image drawn at " << c << "," << r;
}

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
    using quantizer = quantizedImage_t *(*)(loadedImage_t *, palette_t *);
    const quantizer plain = [](loadedImage_t *i, palette_t *p) { return plainQuantizeImage(i, p); };
    for (quantizer quantize : {quantizer(quantizeImage), plain}) {
        quantizedPtr result(quantize(image.get(), &palette));
        EXPECT_EQ(result->pixels[0], 3);
        EXPECT_EQ(result->pixels[1], 5);
        EXPECT_EQ(result->pixels[2], 0);
        EXPECT_EQ(result->x, 7);
        EXPECT_EQ(result->y, 9);
        EXPECT_EQ(result->width, 3u);
        EXPECT_EQ(memcmp(&result->palette, &palette, sizeof palette), 0);
    }
}

TEST(Quantize, EmptyPaletteLeavesEveryIndexAt255)
{
    palette_t palette{};
    imagePtr image = noiseImage(7, 5, 1);
    quantizedPtr result(quantizeImage(image.get(), &palette));
    for (unsigned i = 0; i < 35; ++i)
        ASSERT_EQ(result->pixels[i], 255);
}

TEST(Quantize, TracesItsWork)
{
    palette_t palette = paletteOf({0});
    imagePtr image = noiseImage(7, 5, 1);
    ident_level = 0;
    quantizedPtr result;
    EXPECT_EQ(traceOf(2, [&] { result.reset(quantizeImage(image.get(), &palette)); }),
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

std::function<palette_t(const loadedImage_t *)> selected(unsigned maxColors)
{
    return [maxColors](const loadedImage_t *image) {
        std::unique_ptr<palette_t> palette(plainGetOptimalPalette(image, maxColors));
        return *palette;
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
        palette.numColors = count;
        for (unsigned i = 0; i < count; ++i) {
            palette.red[i] = uint8_t(random.below(256 / step) * step);
            palette.green[i] = uint8_t(random.below(256 / step) * step);
            palette.blue[i] = uint8_t(random.below(256 / step) * step);
        }
        return palette;
    };
}

// One pixel in each of the first 153600 cells of edge 4 of the colour cube.
imagePtr cellsImage()
{
    imagePtr image = blankImage(512, 300);
    testRandom_t random(20);
    for (uint32_t cell = 0; cell < 512 * 300; ++cell) {
        const unsigned red = (cell >> 12) * 4 + random.below(4);
        const unsigned green = (cell >> 6 & 63) * 4 + random.below(4);
        const unsigned blue = (cell & 63) * 4 + random.below(4);
        setPixel(image.get(), cell % 512, cell / 512, red, green, blue);
    }
    return image;
}

// 256 entries packed into a 7 x 7 x 6 block: far from it, nearly every entry
// stays a candidate, so the candidate lists outgrow what can be pointed at.
palette_t crowdedPalette(const loadedImage_t *)
{
    palette_t palette{};
    palette.numColors = 256;
    for (unsigned i = 0; i < 256; ++i) {
        palette.red[i] = uint8_t(125 + i % 7);
        palette.green[i] = uint8_t(125 + i / 7 % 7);
        palette.blue[i] = uint8_t(125 + i / 49);
    }
    return palette;
}

const quantizeCase_t quantizeCases[] = {
    {"solid", [] { return solidImage(20, 20, 3, 4, 5); }, selected(224)},
    {"halves", [] { return halvesImage(20, 20); }, selected(224)},
    {"few colours", [] { return fewColorsImage(100, 80, 50, 1); }, selected(224)},
    {"noise", [] { return noiseImage(200, 150, 2); }, selected(224)},
    {"noise, 16", [] { return noiseImage(100, 100, 3); }, selected(16)},
    {"noise, 1", [] { return noiseImage(50, 50, 4); }, selected(1)},
    {"gradient", [] { return gradientImage(200, 150, 0, 5); }, selected(224)},
    {"noisy gradient", [] { return gradientImage(200, 150, 30, 6); }, selected(255)},
    {"photo", [] { return photoLikeImage(200, 150, 7); }, selected(224)},
    {"64 small images", [] { return mixedImage(scatteredImages(64, 320, 240, 8), 320, 240); },
     selected(224)},
    {"composite", [] { return photoLikeComposite(9); }, selected(224)},
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
    quantizedPtr fast(quantizeImage(image.get(), &palette));
    quantizedPtr plain(plainQuantizeImage(image.get(), &palette));
    const uint64_t n = uint64_t(image->width) * image->height;
    ASSERT_EQ(memcmp(fast->pixels, plain->pixels, n), 0);
    for (uint64_t i = 0; i < n; ++i)
        ASSERT_LT(fast->pixels[i], std::max(palette.numColors, 1u)) << i;
}

INSTANTIATE_TEST_SUITE_P(Images, QuantizeEquality, testing::ValuesIn(quantizeCases),
                         [](const testing::TestParamInfo<quantizeCase_t> &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += isalnum(uint8_t(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
