#include <gtest/gtest.h>

#include "referenceDecoders_support.h"
#include "support/scratch.h"

namespace {

#if DAWNMARK_HEIF
// AVIF files come from libavif's own encoder, as most do. Ten bits keep
// their high eight, as heif-convert's sixteen do. avifenc stores EXIF
// orientation 6 as a rotation, which the decoding applies: the tag must not
// turn the picture again.
TEST(HeifDecoder, DecodesAsHeifConvertDoes)
{
    if (!referenceToolsPresent({"heif-enc", "heif-convert", "avifenc"}))
        GTEST_SKIP();
    const bytes_t profile = {0, 0, 1, 2, 'a', 'c', 's', 'p'};
    writeScratchFile("profile.icc", profile);
    writeScratchFile("turned.exif", {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0});
    const command_t reference = {"heif-convert", "FILE", "reference.png"};
    expectAsReference({{"heif-enc", "-q", "60", "photo.png", "-o", "photo.heic"},
                       {"heif-enc", "-q", "60", "photo-alpha.png", "-o", "alpha.heic"},
                       {"heif-enc", "-b", "10", "photo16.png", "-o", "deep.heic"}},
                      reference, "HEIF data ends early");
    expectAsReference({{"avifenc", "-s", "10", "photo-alpha.png", "alpha.avif"},
                       {"avifenc", "-s", "10", "-d", "10", "photo16.png", "deep.avif"},
                       {"avifenc", "-s", "10", "--exif", "turned.exif", "photo.png", "turned.avif"}},
                      reference, "AVIF data ends early");
    const decodedBitmap_t tagged = decodeBytes(madeBy(
        {"avifenc", "-s", "10", "--icc", "profile.icc", "--exif", "turned.exif", "photo.png", "tagged.avif"}))
                                       .bitmap;
    EXPECT_EQ(tagged.width, 64u);
    EXPECT_EQ(tagged.iccProfile, profile);
    EXPECT_TRUE(tagged.exif.empty());
}
#endif

} // namespace
