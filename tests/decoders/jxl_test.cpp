#include <gtest/gtest.h>

#include "fixtures/variantEncoders.h"
#include "referenceDecoders_support.h"
#include "support/scratch.h"

namespace {

#if DAWNMARK_JXL
TEST(JxlDecoder, DecodesAsDjxlDoes)
{
    if (!referenceToolsPresent({"cjxl", "djxl"}))
        GTEST_SKIP();
    expectAsReference({{"cjxl", "-q", "80", "photo.png", "lossy.jxl"},
                       {"cjxl", "-q", "80", "photo-alpha.png", "alpha.jxl"},
                       {"cjxl", "-d", "0", "photo-alpha.png", "lossless.jxl"}},
                      {"djxl", "FILE", "reference.png"}, "JPEG XL data ends early");
}

// An animation shows its first frame, and its frames are counted.
TEST(JxlDecoder, CountsAnAnimationsFrames)
{
    if (!referenceToolsPresent({"cjxl"}))
        GTEST_SKIP();
    rgbaImage_t image{6, 4, {}};
    for (uint8_t i = 0; i < 6 * 4; ++i)
        image.rgba.insert(image.rgba.end(), {uint8_t(i * 10), uint8_t(i % 3 * 100), 50, 255});
    gifLayout_t animated;
    animated.secondFrame = true;
    animated.delay = 10;
    const bytes_t gif = encodeGif(image, animated);
    writeScratchFile("animated.gif", gif);
    const decodedBitmap_t decoded = decodeBytes(madeBy({"cjxl", "-d", "0", "animated.gif", "animated.jxl"})).bitmap;
    EXPECT_EQ(decoded.frames, 2u);
    EXPECT_TRUE(decoded.pixels == decodeBytes(gif).bitmap.pixels);
}

#endif

} // namespace
