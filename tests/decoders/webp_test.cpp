#include <gtest/gtest.h>

#include "referenceDecoders_support.h"
#include "support/files.h"
#include "support/scratch.h"

namespace {

const command_t kWebpTools = {"cwebp", "dwebp", "img2webp", "webpmux"};

TEST(WebpDecoder, DecodesAsDwebpDoes)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    expectAsReference({{"cwebp", "-quiet", "-q", "70", "photo.png", "-o", "lossy.webp"},
                       {"cwebp", "-quiet", "-alpha_q", "40", "photo-alpha.png", "-o", "alpha.webp"},
                       {"cwebp", "-quiet", "-lossless", "-exact", "photo-alpha.png", "-o", "lossless.webp"}},
                      {"dwebp", "-quiet", "FILE", "-o", "reference.png"}, "WebP data ends early");
}

// Lossless files, an animation's first frame among them, hold the picture
// itself; the EXIF block from its TIFF header on and the profile go along.
TEST(WebpDecoder, HandsOnFramesAndMetadata)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    const bytes_t tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0}, profile = {0, 0, 1, 2, 'a', 'c', 's', 'p'};
    writeScratchFile("tiff.exif", tiff);
    writeScratchFile("marked.exif", {'E', 'x', 'i', 'f', 0, 0, 'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0});
    writeScratchFile("profile.icc", profile);
    madeBy({"cwebp", "-quiet", "-lossless", "photo.png", "-o", "plain.webp"});
    const bytes_t photo = decodeBytes(readBytes(scratchDirectory() + "/photo.png")).bitmap.pixels;
    const struct {
        command_t command;
        uint32_t frames;
        bytes_t exif, icc;
    } cases[] = {
        {{"img2webp", "photo.png", "photo-alpha.png", "photo.png", "-o", "animated.webp"}, 3, {}, {}},
        {{"webpmux", "-set", "exif", "tiff.exif", "plain.webp", "-o", "exif.webp"}, 1, tiff, {}},
        // Some writers keep the marker of a JPEG's EXIF segment.
        {{"webpmux", "-set", "exif", "marked.exif", "plain.webp", "-o", "marked.webp"}, 1, tiff, {}},
        {{"webpmux", "-set", "icc", "profile.icc", "plain.webp", "-o", "icc.webp"}, 1, {}, profile},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.command.back());
        const decodedBitmap_t decoded = decodeBytes(madeBy(c.command)).bitmap;
        EXPECT_TRUE(decoded.pixels == photo);
        EXPECT_EQ(decoded.frames, c.frames);
        EXPECT_EQ(decoded.exif, c.exif);
        EXPECT_EQ(decoded.iccProfile, c.icc);
    }
}

} // namespace
