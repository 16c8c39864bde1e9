// A bitmap stream header is a claim, not a promise: the loader must not
// allocate what a few bytes of header ask for beyond what any image may be.
#include <gtest/gtest.h>

#include "diagnostics/errors.h"
#include "imageFixtures_support.h"
#include "imaging/loadImage.h"

namespace {

TEST(OversizedBitmapStream, ClaimBeyondOneGibibyteIsRefusedWithoutAllocating)
{
    for (uint32_t dataSize : {0xFFFFFFF0u, (1u << 30) + 4}) {
        SCOPED_TRACE(dataSize);
        const std::string path =
            writeScratchFile("claims.bits", bitmapStream(4, 0x0008, dataSize, {1, 2, 3, 4}));
        try {
            traceOf(0, [&] { loadImage(path.c_str()); });
            FAIL() << "loaded";
        } catch (const imgtoolsError_t &error) {
            EXPECT_STREQ(error.subject, "LoadImage error");
            EXPECT_STREQ(error.reason, "pixel data larger than 1 GiB");
        }
    }
}

TEST(OversizedBitmapStream, ShortPayloadWithinTheLimitStillLoads)
{
    const std::string path = writeScratchFile("short.bits", bitmapStream(8, 0x0008, 64, {9, 9}));
    loadedImage_t *image = nullptr;
    traceOf(0, [&] { image = loadImage(path.c_str()); });
    EXPECT_EQ(image->width, 2u);
    EXPECT_EQ(image->height, 8u);
    EXPECT_EQ(image->pixels[0], 9);
    EXPECT_EQ(image->pixels[63], 0);
    delete[] image->pixels;
    delete image;
}

} // namespace
