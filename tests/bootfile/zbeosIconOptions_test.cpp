// The render options reach the new pack: the palette chosen, the pixels
// stored and the way they are mapped are those of the option's own code.
#include <gtest/gtest.h>

#include <cstring>

#include "bootfile/littleEndian.h"
#include "bootfile/packBuilder_support.h"
#include "bootfile/zbeosIcon.h"
#include "imaging/alphaCompose.h"
#include "imaging/dither.h"
#include "imaging/fullPalette.h"
#include "imaging/mixImages.h"
#include "imaging/quantize.h"

namespace {

/// A w x h image at (x, y) whose colour changes across it; alpha grows to
/// the right when it has alpha.
ownedImage_t shaded(uint32_t w, uint32_t h, int32_t x, int32_t y, bool alpha)
{
    ownedImage_t image(new loadedImage_t());
    *image = {w, h, x, y, new uint8_t[size_t(w) * h * 4], alpha};
    for (uint32_t row = 0; row < h; ++row)
        for (uint32_t column = 0; column < w; ++column) {
            uint8_t *pixel = image->pixels + (size_t(row) * w + column) * 4;
            pixel[0] = uint8_t(row * 255 / h);
            pixel[1] = uint8_t(column * 255 / w);
            pixel[2] = uint8_t(40 + (row + column) % 13);
            pixel[3] = uint8_t(alpha ? column * 255 / w : 0);
        }
    return image;
}

class SerializeOptions : public testing::TestWithParam<unsigned> {};

TEST_P(SerializeOptions, PackHoldsWhatTheOptionsMake)
{
    const unsigned bits = GetParam();
    renderOptions_t options;
    options.dither = bits & 1;
    options.alpha = bits & 2;
    options.fullPalette = bits & 4;

    ownedImage_t back = shaded(640, 480, 0, 0, false), logo = shaded(120, 60, 600, 20, true);
    bytes_t input = wellFormedPack();
    zbeosIconPack_t pack(input.data(), unsigned(input.size()));
    pack.AddImage(back.get());
    pack.AddImage(logo.get());
    unsigned length = 0;
    std::unique_ptr<unsigned char[]> out(pack.Serialize(&length, options));

    // What the options stand for, made by hand from the image tools.
    loadedImage_t *slots[] = {back.get(), logo.get()};
    ownedImage_t composedLogo;
    if (options.alpha) {
        composedLogo.reset(composeOver(logo.get(), slots, 1));
        slots[1] = composedLogo.get();
    }
    ownedImage_t canvas(mixImages(slots, 2, 640, 480));
    std::unique_ptr<palette_t> palette(options.fullPalette ? getFullPalette(canvas.get(), 224)
                                                           : getOptimalPalette(canvas.get(), 224));
    const unsigned char *packPalette = out.get() + getLE32(out.get() + 12);
    for (unsigned j = 0; j < 224; ++j) {
        const uint8_t rgb[3] = {palette->red[j], palette->green[j], palette->blue[j]};
        ASSERT_EQ(memcmp(packPalette + 48 + 3 * j, rgb, 3), 0) << "entry " << j;
    }
    for (unsigned i = 0; i < 2; ++i) {
        std::unique_ptr<quantizedImage_t, quantizedImageRelease_t> mapped(
            options.dither ? ditherImage(slots[i], palette.get()) : quantizeImage(slots[i], palette.get()));
        const unsigned char *record = out.get() + getLE32(out.get() + 8 * (4 + i) + 4);
        ASSERT_EQ(getLE32(record), mapped->width);
        ASSERT_EQ(getLE32(record + 8), uint32_t(mapped->x));
        for (uint64_t p = 0; p < uint64_t(mapped->width) * mapped->height; ++p)
            ASSERT_EQ(record[16 + p], uint8_t(mapped->pixels[p] + 16)) << "image " << i << " pixel " << p;
    }
    // The images given stay as they were.
    EXPECT_EQ(logo->pixels[4 * 119 + 3], 252);
}

INSTANTIATE_TEST_SUITE_P(EveryCombination, SerializeOptions, testing::Range(0u, 8u));

} // namespace
