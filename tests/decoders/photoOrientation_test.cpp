#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

const uint8_t kRed[3] = {255, 0, 0}, kGreen[3] = {0, 255, 0}, kBlue[3] = {0, 0, 255}, kWhite[3] = {255, 255, 255};

// Stored 32 x 16 as red, green over blue, white quarters (large enough to
// keep JPEG's colour bleeding off the corners): each orientation's upright
// corners (top left, top right, bottom left, bottom right), from both
// formats that carry the tag, in both byte orders of the EXIF block.
TEST(PhotoOrientation, EveryOrientationComesOutUpright)
{
    const struct {
        uint16_t orientation;
        const uint8_t *corners[4];
    } cases[] = {
        {1, {kRed, kGreen, kBlue, kWhite}}, {2, {kGreen, kRed, kWhite, kBlue}}, {3, {kWhite, kBlue, kGreen, kRed}},
        {4, {kBlue, kWhite, kRed, kGreen}}, {5, {kRed, kBlue, kGreen, kWhite}}, {6, {kBlue, kRed, kWhite, kGreen}},
        {7, {kWhite, kGreen, kBlue, kRed}}, {8, {kGreen, kWhite, kRed, kBlue}},
        {9, {kRed, kGreen, kBlue, kWhite}}, // out of range: as stored
    };
    rgbaImage_t image{32, 16, {}};
    for (uint32_t i = 0; i < 32 * 16; ++i) {
        const uint8_t *c = i / 32 < 8 ? (i % 32 < 16 ? kRed : kGreen) : (i % 32 < 16 ? kBlue : kWhite);
        image.rgba.insert(image.rgba.end(), {c[0], c[1], c[2], 255});
    }
    for (const auto &c : cases)
        for (const int variant : {0, 1, 2, 3}) {
            const bool jpeg = variant & 1, bigEndian = variant & 2;
            SCOPED_TRACE(testing::Message() << c.orientation << (jpeg ? " JPEG" : " PNG") << (bigEndian ? " MM" : " II"));
            const photoMetadata_t metadata{exifOrientationBlock(c.orientation, bigEndian), {}};
            const decodedFile_t file = decodeBytes(jpeg ? encodeJpeg(image, jpegKind_t::colour, metadata)
                                                        : encodePng(image, false, metadata));
            const bool sideways = c.orientation >= 5 && c.orientation <= 8;
            expectBitmap(file, sideways ? 16 : 32, sideways ? 32 : 16, kColorsRgb32);
            EXPECT_EQ(file.turnedFrom, c.orientation <= 8 ? c.orientation : 1u);
            const size_t width = file.bitmap.width, lastRow = file.bitmap.pixels.size() / 4 - width;
            for (size_t corner = 0; corner < 4; ++corner) {
                const size_t at = (corner / 2 ? lastRow : 0) + (corner % 2 ? width - 1 : 0);
                for (int channel = 0; channel < 3; ++channel)
                    EXPECT_NEAR(file.bitmap.pixels[at * 4 + 2 - channel], c.corners[corner][channel], jpeg ? 12 : 0);
            }
        }
}

} // namespace
