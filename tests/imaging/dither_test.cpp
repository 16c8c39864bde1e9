#include "fixtures/wholeImage.h"
#include "imaging/dither.h"
#include "imaging/palette.h"
#include "imaging/plainRender_support.h"
#include "fixtures/testImages.h"

#include "diagnostics/traceMsg.h"

#include <gtest/gtest.h>

#include <cstring>
#include <functional>

namespace {

TEST(Dither, KeepsTheMeanOfAFlatGrey)
{
    // With only black and white, plain mapping gives one or the other; the
    // diffused error must bring the mean back to the grey, but for what
    // falls off the edges.
    palette_t palette = paletteOf({0x000000, 0xffffff});
    for (unsigned grey = 0; grey <= 255; grey += 17) {
        imagePtr image = solidImage(64, 64, grey, grey, grey);
        quantizedImage_t result = ditherImage(image.get(), &palette);
        double sum = 0;
        for (unsigned i = 0; i < 64 * 64; ++i)
            sum += result.pixels[i] * 255.0;
        EXPECT_NEAR(sum / (64 * 64), grey, 2.0) << grey;
    }
}

TEST(Dither, ColoursOfThePaletteStayAsTheyAre)
{
    // Exact colours leave no error, so each takes its own (first) entry.
    palette_t palette = paletteOf({0x102030, 0xffffff, 0x102030, 0x00ff00});
    imagePtr image = blankImage(5, 3, 4, 6);
    const uint32_t colors[] = {0x102030, 0xffffff, 0x00ff00};
    for (unsigned i = 0; i < 15; ++i)
        setPixel(image.get(), i % 5, i / 5, colors[i % 3] >> 16, colors[i % 3] >> 8 & 0xff, colors[i % 3] & 0xff);
    quantizedImage_t result = ditherImage(image.get(), &palette);
    const uint8_t expected[] = {0, 1, 3};
    for (unsigned i = 0; i < 15; ++i)
        EXPECT_EQ(result.pixels[i], expected[i % 3]) << i;
    EXPECT_EQ(result.x, 4);
    EXPECT_EQ(result.y, 6);
    EXPECT_EQ(memcmp(&result.palette, &palette, sizeof palette), 0);
}

TEST(Dither, EmptyPaletteLeavesEveryIndexAt255)
{
    palette_t palette{};
    imagePtr image = noiseImage(7, 5, 1);
    quantizedImage_t result = ditherImage(image.get(), &palette);
    for (unsigned i = 0; i < 35; ++i)
        ASSERT_EQ(result.pixels[i], 255);
}

TEST(Dither, TracesItsWork)
{
    palette_t palette = paletteOf({0});
    imagePtr image = noiseImage(7, 5, 1);
    trace_level = 2;
    ident_level = 0;
    testing::internal::CaptureStdout();
    quantizedImage_t result = ditherImage(image.get(), &palette);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "... Quantizing image\n... ... Dithering colors... 35 pixels\n");
    trace_level = 1;
    EXPECT_EQ(ident_level, 0u);
}

// The product against the reference: palettes from the selection, palettes
// full of ties, and palettes that leave the image's extremes uncovered so
// that the wanted colours are clamped.
struct ditherCase_t {
    const char *name;
    std::function<imagePtr()> image;
    std::function<palette_t(const loadedImage_t *)> palette;
    /// Smooth everywhere, with colours all around it: no pixel lands far off.
    bool smooth = false;
};

std::function<palette_t(const loadedImage_t *)> selected(unsigned maxColors)
{
    return [maxColors](const loadedImage_t *image) {
        palette_t palette = getOptimalPalette(image, maxColors);
        return palette;
    };
}

std::function<palette_t(const loadedImage_t *)> fixed(palette_t palette)
{
    return [palette](const loadedImage_t *) { return palette; };
}

palette_t latticePalette(const loadedImage_t *)
{
    testRandom_t random(11);
    palette_t palette{};
    for (unsigned i = 0; i < 256; ++i) {
        const uint8_t r = uint8_t(random.below(8) * 32), g = uint8_t(random.below(8) * 32);
        palette.append(r, g, uint8_t(random.below(8) * 32));
    }
    return palette;
}

/// The boot loader's kept colours, then the full palette chosen beside them,
/// as a splash with the full palette maps its images.
palette_t keptAndChosen(const loadedImage_t *image)
{
    const palette_t kept = paletteOf(bootLoaderColors());
    std::vector<uint32_t> both = bootLoaderColors(), chosen = entriesOf(getFullPalette(image, 224, &kept));
    both.insert(both.end(), chosen.begin(), chosen.end());
    return paletteOf(both);
}

/// The most levels a pixel lands off its source in a channel.
int farthestOff(const loadedImage_t *image, const quantizedImage_t &mapped)
{
    int most = 0;
    for (size_t i = 0; i < mapped.pixels.size(); ++i)
        for (unsigned c = 0; c < 3; ++c)
            most = std::max(most, std::abs(int(entriesOf(mapped.palette)[mapped.pixels[i]] >> (16 - 8 * c) & 0xff) -
                                           int(image->pixels()[i * 4 + 2 - c])));
    return most;
}

const ditherCase_t ditherCases[] = {
    {"gradient", [] { return gradientImage(200, 150, 0, 5); }, selected(224)},
    {"noisy gradient, 16", [] { return gradientImage(160, 120, 30, 6); }, selected(16)},
    {"photo", [] { return photoLikeImage(200, 150, 7); }, selected(224)},
    {"composite", [] { return photoLikeComposite(9); }, selected(224)},
    {"few colours", [] { return fewColorsImage(90, 70, 40, 1); }, selected(224)},
    {"one column", [] { return gradientImage(1, 300, 10, 2); }, selected(8)},
    {"one row", [] { return gradientImage(300, 1, 10, 3); }, selected(8)},
    {"noise, black and white", [] { return noiseImage(120, 90, 4); }, fixed(paletteOf({0, 0xffffff}))},
    {"noise, greys only", [] { return noiseImage(120, 90, 12); },
     fixed(paletteOf({0x404040, 0x808080, 0xc0c0c0}))},
    {"noise, one entry", [] { return noiseImage(40, 40, 16); }, fixed(paletteOf({0x7f7f7f}))},
    {"lattice palette", [] { return photoLikeImage(160, 120, 10); }, latticePalette},
    {"smooth shades beside the kept colours", [] { return gradientImage(160, 120, 0, 3); }, keptAndChosen, true},
};

class DitherEquality : public testing::TestWithParam<ditherCase_t> {};

TEST_P(DitherEquality, MatchesTheReference)
{
    imagePtr image = GetParam().image();
    palette_t palette = GetParam().palette(image.get());
    quantizedImage_t fast = ditherImage(image.get(), &palette);
    quantizedImage_t plain = plainDitherImage(image.get(), &palette);
    const uint64_t n = uint64_t(image->width()) * image->height();
    ASSERT_EQ(memcmp(fast.pixels.data(), plain.pixels.data(), n), 0);
    for (uint64_t i = 0; i < n; ++i)
        ASSERT_LT(fast.pixels[i], palette.size()) << i;
    EXPECT_LE(GetParam().smooth ? farthestOff(image.get(), fast) : 0, 48) << "a speck on a smooth area";
}

INSTANTIATE_TEST_SUITE_P(Images, DitherEquality, testing::ValuesIn(ditherCases),
                         [](const testing::TestParamInfo<ditherCase_t> &info) {
                             std::string name;
                             for (const char *c = info.param.name; *c; ++c)
                                 name += isalnum(uint8_t(*c)) ? *c : '_';
                             return name;
                         });

} // namespace
