// The render options reach the rendered splash: the palette chosen, the
// pixels stored and the way they are mapped are those of the option's own
// code.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "fixtures/testImages.h"
#include "fixtures/testThread.h"
#include "imaging/alphaCompose.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"
#include "fixtures/wholeImage.h"
#include "imaging/render.h"
#include "support/traceCapture.h"

namespace {

/// A w x h image at (x, y) whose colour changes across it; alpha grows to
/// the right when it has alpha.
imagePtr shaded(uint32_t w, uint32_t h, int32_t x, int32_t y, bool alpha)
{
    imagePtr image = blankImage(w, h, x, y, alpha);
    for (uint32_t row = 0; row < h; ++row)
        for (uint32_t column = 0; column < w; ++column) {
            uint8_t *pixel = image->writablePixels() + (size_t(row) * w + column) * 4;
            pixel[0] = uint8_t(row * 255 / h);
            pixel[1] = uint8_t(column * 255 / w);
            pixel[2] = uint8_t(40 + (row + column) % 13);
            pixel[3] = uint8_t(alpha ? column * 255 / w : 0);
        }
    return image;
}

/// What a renderer makes of the images, all at once: the splash as the boot
/// loader file takes it and each image's indices.
struct rendered_t {
    newSplash_t splash;
    std::vector<std::vector<uint8_t>> pictures;
};

rendered_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options,
                        const splashFrame_t &frame = splashFrame_t())
{
    const auto renderer = std::make_shared<splashRenderer_t>(images, count, options, frame, testThread());
    rendered_t rendered{packSplashOf(renderer), {}};
    for (unsigned i = 0; i < count; ++i) {
        rendered.pictures.emplace_back(uint64_t(images[i]->width()) * images[i]->height());
        rendered.splash.PictureRows(i, rendered.pictures.back().data(), [](uint32_t) {});
    }
    return rendered;
}

class RenderOptions : public testing::TestWithParam<unsigned> {};

TEST_P(RenderOptions, SplashHoldsWhatTheOptionsMake)
{
    const unsigned bits = GetParam();
    renderOptions_t options;
    options.dither = bits & 1;
    options.alpha = bits & 2;
    options.fullPalette = bits & 4;

    imagePtr back = shaded(640, 480, 0, 0, false), logo = shaded(120, 60, 600, 20, true);
    const loadedImage_t *images[] = {back.get(), logo.get()};
    const rendered_t splash = renderSplash(images, 2, options);

    // What the options stand for, made by hand from the image tools.
    const loadedImage_t *slots[] = {back.get(), logo.get()};
    loadedImage_t composedLogo;
    if (options.alpha) {
        composedLogo = composeOver(logo.get(), slots, 1);
        slots[1] = &composedLogo;
    }
    const loadedImage_t canvas = mixImages(slots, 2, 640, 480);
    // The frame's kept colours: 16 times black.
    std::vector<uint32_t> storedColors(kKeptColors, 0);
    const palette_t kept = paletteOf(storedColors);
    const palette_t palette =
        options.fullPalette ? getFullPalette(&canvas, 224, &kept) : getOptimalPalette(&canvas, 224);
    // Stored behind the kept colours, the rest of the entries zero.
    std::vector<uint8_t> expected(kPaletteBytes, 0);
    for (unsigned j = 0; j < palette.size(); ++j)
        for (unsigned c = 0; c < 3; ++c)
            expected[3 * (kKeptColors + j) + c] = uint8_t(palette.rgb(j) >> (16 - 8 * c));
    ASSERT_EQ(std::vector<uint8_t>(splash.splash.Palette(), splash.splash.Palette() + kPaletteBytes), expected);
    // The full palette maps to the kept and the chosen colours as stored,
    // the default to the chosen ones behind the kept entries.
    for (uint32_t color : entriesOf(palette))
        storedColors.push_back(color);
    const palette_t stored = paletteOf(storedColors), &target = options.fullPalette ? stored : palette;
    for (unsigned i = 0; i < 2; ++i) {
        quantizedImage_t mapped = options.dither ? ditherImage(slots[i], &target) : quantizeImage(slots[i], &target);
        for (uint8_t &index : mapped.pixels)
            index = uint8_t(index + (options.fullPalette ? 0 : kKeptColors));
        ASSERT_EQ(splash.pictures[i], mapped.pixels) << "image " << i;
    }
    // The images given stay as they were.
    EXPECT_EQ(logo->pixels()[4 * 119 + 3], 252);
}

INSTANTIATE_TEST_SUITE_P(EveryCombination, RenderOptions, testing::Range(0u, 8u));

/// The chosen colour that is exactly rgb (red << 16 | green << 8 | blue):
/// its number among the chosen ones, kSplashColors when none is.
unsigned chosenIndexOf(const newSplash_t &splash, uint32_t rgb)
{
    unsigned j = 0;
    for (const uint8_t *entry = splash.Palette() + 3 * kKeptColors; j < kSplashColors; ++j, entry += 3)
        if ((uint32_t(entry[0]) << 16 | uint32_t(entry[1]) << 8 | entry[2]) == rgb)
            break;
    return j;
}

TEST(Render, OwnIconsAreChosenForAndMappedToTheKeptAndChosenColours)
{
    // Lit: green, then the kept entry 3 from column 10 on; unlit: entry 3.
    imagePtr back = solidImage(640, 480, 200, 0, 0), lit = solidImage(20, 1, 0, 200, 0),
             unlit = solidImage(20, 1, 0, 0, 170);
    for (unsigned column = 10; column < 20; ++column)
        setPixel(lit.get(), column, 0, 0, 0, 170);
    splashFrame_t frame;
    frame.icons[0] = lit.get();
    frame.icons[1] = unlit.get();
    frame.palette[3 * 3 + 2] = 170;
    const loadedImage_t *images[] = {back.get()};
    for (bool full : {false, true}) {
        renderOptions_t options;
        options.fullPalette = full;
        const rendered_t rendered = renderSplash(images, 1, options, frame);
        const newSplash_t &splash = rendered.splash;
        const unsigned green = chosenIndexOf(splash, 0x00c800);
        ASSERT_LT(green, kSplashColors) << "the strips take part in the choice";
        ASSERT_EQ(splash.Strips().size(), 2u);
        EXPECT_EQ(splash.Palette()[3 * (16 + green) + 1], 200) << "chosen colours follow the kept ones";
        EXPECT_EQ(splash.Palette()[3 * 3 + 2], 170) << "the kept colours stay";
        EXPECT_EQ(splash.Strips()[0][0], 16 + green);
        EXPECT_EQ(splash.Strips()[0][19], 3) << "a kept colour maps to its own entry";
        EXPECT_EQ(splash.Strips()[1], std::vector<uint8_t>(20, 3));
        EXPECT_EQ(rendered.pictures[0][0], 16 + chosenIndexOf(splash, 0xc80000)) << "images index chosen ones";
    }
}

TEST(Render, OnlyTheFullPaletteChoosesFromBeyond640x480)
{
    // A blue image wholly past x 640 of a 1024 x 768 screen.
    imagePtr inside = solidImage(640, 480, 200, 0, 0), outside = solidImage(10, 10, 0, 0, 200);
    outside->placeAt(1000, 0);
    const loadedImage_t *images[] = {inside.get(), outside.get()};
    splashFrame_t frame;
    frame.screenWidth = 1024;
    frame.screenHeight = 768;
    // Kept colours of white, so that black is chosen when counted.
    memset(frame.palette, 255, 3 * kKeptColors);
    for (bool full : {false, true}) {
        renderOptions_t options;
        options.fullPalette = full;
        // Unused entries are black too: the count tells whether black was chosen.
        const std::string trace = traceOf(9, [&] {
            EXPECT_EQ(chosenIndexOf(renderSplash(images, 2, options, frame).splash, 0x0000c8) < kSplashColors, full);
        });
        EXPECT_NE(trace.find(full ? "Selected 3 colors" : "Selected 1 colors"), std::string::npos)
            << "black beyond the images";
    }
}

} // namespace
