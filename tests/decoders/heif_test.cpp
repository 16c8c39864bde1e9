#include <gtest/gtest.h>

#include "referenceDecoders_support.h"
#include "support/scratch.h"

namespace {

#if DAWNMARK_HEIF
const command_t kHeifTools = {"heif-enc", "heif-convert", "avifenc"};

// AVIF files come from libavif's own encoder, as most do. Ten bits keep
// their high eight, as heif-convert's sixteen do.
TEST(HeifDecoder, DecodesAsHeifConvertDoes)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    const command_t reference = {"heif-convert", "FILE", "reference.png"};
    expectAsReference({{"heif-enc", "-q", "60", "photo.png", "-o", "photo.heic"},
                       {"heif-enc", "-q", "60", "photo-alpha.png", "-o", "alpha.heic"},
                       {"heif-enc", "-b", "10", "photo16.png", "-o", "deep.heic"}},
                      reference, "HEIF data ends early");
    expectAsReference({{"avifenc", "-s", "10", "photo.png", "photo.avif"},
                       {"avifenc", "-s", "10", "photo-alpha.png", "alpha.avif"},
                       {"avifenc", "-s", "10", "-d", "10", "photo16.png", "deep.avif"}},
                      reference, "AVIF data ends early");
}

// The picture comes out upright already: its EXIF orientation (6 here) must
// not turn it again.
TEST(HeifDecoder, HandsOnTheIccProfileButNotTheExifBlock)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    const bytes_t profile = {0, 0, 1, 2, 'a', 'c', 's', 'p'};
    writeScratchFile("profile.icc", profile);
    writeScratchFile("turned.exif", {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0});
    const decodedBitmap_t decoded = decodeBytes(madeBy({"avifenc", "-s", "10", "--icc", "profile.icc", "--exif",
                                                        "turned.exif", "photo.png", "tagged.avif"}))
                                        .bitmap;
    EXPECT_EQ(decoded.iccProfile, profile);
    EXPECT_TRUE(decoded.exif.empty());
}
#endif

} // namespace
