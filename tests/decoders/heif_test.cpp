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
    expectAsReference({{"heif-enc", "-q", "60", "photo.png", "-o", "photo.heic"},
                       {"heif-enc", "-q", "60", "photo-alpha.png", "-o", "alpha.heic"},
                       {"heif-enc", "-b", "10", "photo16.png", "-o", "deep.heic"},
                       {"avifenc", "-s", "10", "photo.png", "photo.avif"},
                       {"avifenc", "-s", "10", "photo-alpha.png", "alpha.avif"},
                       {"avifenc", "-s", "10", "-d", "10", "photo16.png", "deep.avif"}},
                      {"heif-convert", "FILE", "reference.png"});
}

// The picture comes out upright already: its EXIF orientation must not turn
// it again.
TEST(HeifDecoder, HandsOnTheIccProfileButNotTheExifBlock)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    const bytes_t profile = {0, 0, 1, 2, 'a', 'c', 's', 'p'};
    writeScratchFile("profile.icc", profile);
    writeScratchFile("turned.exif", {'I', 'I', 42, 0, 8, 0, 0, 0, 1, 0, 0x12, 1, 3, 0, 1, 0, 0, 0, 6, 0, 0, 0});
    const decodedFile_t decoded = decodeBytes(
        madeBy({"avifenc", "-s", "10", "--icc", "profile.icc", "--exif", "turned.exif", "photo.png", "tagged.avif"}));
    EXPECT_EQ(decoded.bitmap.iccProfile, profile);
    EXPECT_TRUE(decoded.bitmap.exif.empty());
}

TEST(HeifDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    const bytes_t heic = madeBy({"heif-enc", "photo.png", "-o", "whole.heic"});
    const bytes_t avif = madeBy({"avifenc", "-s", "10", "photo.png", "whole.avif"});
    for (const damagedImage_t &damaged : {
             damagedImage_t{"HEIC cut short", cut(heic, heic.size() * 9 / 10), "HEIF data ends early"},
             damagedImage_t{"AVIF cut short", cut(avif, avif.size() * 9 / 10), "AVIF data ends early"},
             damagedImage_t{"HEIC without its boxes", cut(heic, 40), "damaged HEIF"},
         }) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}
#endif

} // namespace
