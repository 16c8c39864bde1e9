#include <gtest/gtest.h>

#include "referenceDecoders_support.h"
#include "support/files.h"
#include "support/scratch.h"

namespace {

#if DAWNMARK_HEIF
const std::vector<std::string> kHeifTools = {"heif-enc", "heif-convert", "avifenc"};

// AVIF files come from libavif's own encoder, as most do.
TEST(HeifDecoder, DecodesAsHeifConvertDoes)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    const std::vector<std::vector<std::string>> encodings = {
        {"heif-enc", "-q", "60", "photo.png", "-o", "photo.heic"},
        {"heif-enc", "-q", "60", "photo-alpha.png", "-o", "alpha.heic"},
        {"avifenc", "-s", "10", "photo.png", "photo.avif"},
        {"avifenc", "-s", "10", "photo-alpha.png", "alpha.avif"},
        // Ten bits keep their high eight, as heif-convert's 16 bits do.
        {"heif-enc", "-b", "10", "photo16.png", "-o", "deep.heic"},
        {"avifenc", "-s", "10", "-d", "10", "photo16.png", "deep.avif"},
    };
    for (const std::vector<std::string> &encoding : encodings) {
        SCOPED_TRACE(encoding.back());
        ASSERT_TRUE(runPhotoTool(encoding));
        expectAsReference(encoding.back(), {"heif-convert", encoding.back(), "reference.png"});
    }
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
    ASSERT_TRUE(runPhotoTool({"avifenc", "-s", "10", "--icc", "profile.icc", "--exif", "turned.exif", "photo.png",
                              "tagged.avif"}));
    const decodedFile_t decoded = decodeFile(photoPath("tagged.avif").c_str());
    ASSERT_EQ(decoded.refusedBy, refusedBy_t::nothing) << decoded.reason;
    EXPECT_EQ(decoded.bitmap.iccProfile, profile);
    EXPECT_TRUE(decoded.bitmap.exif.empty());
}
TEST(HeifDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    if (!referenceToolsPresent(kHeifTools))
        GTEST_SKIP();
    ASSERT_TRUE(runPhotoTool({"heif-enc", "photo.png", "-o", "whole.heic"}));
    ASSERT_TRUE(runPhotoTool({"avifenc", "-s", "10", "photo.png", "whole.avif"}));
    const bytes_t heic = readBytes(photoPath("whole.heic")), avif = readBytes(photoPath("whole.avif"));
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
