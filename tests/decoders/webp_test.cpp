#include <gtest/gtest.h>

#include "referenceDecoders_support.h"
#include "support/files.h"
#include "support/scratch.h"

namespace {

const std::vector<std::string> kWebpTools = {"cwebp", "dwebp", "img2webp", "webpmux"};

TEST(WebpDecoder, DecodesAsDwebpDoes)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    const std::vector<std::vector<std::string>> encodings = {
        {"cwebp", "-quiet", "-q", "70", "photo.png", "-o", "lossy.webp"},
        {"cwebp", "-quiet", "-q", "70", "-alpha_q", "40", "photo-alpha.png", "-o", "lossy-alpha.webp"},
        {"cwebp", "-quiet", "-lossless", "-exact", "photo-alpha.png", "-o", "lossless-alpha.webp"},
    };
    for (const std::vector<std::string> &encoding : encodings) {
        SCOPED_TRACE(encoding.back());
        ASSERT_TRUE(runPhotoTool(encoding));
        expectAsReference(encoding.back(), {"dwebp", "-quiet", encoding.back(), "-o", "reference.png"});
    }
}

TEST(WebpDecoder, AnAnimationGivesItsFirstFrameAndCount)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    ASSERT_TRUE(runPhotoTool({"img2webp", "photo.png", "photo-alpha.png", "photo.png", "-o", "animated.webp"}));
    const decodedFile_t decoded = decodeFile(photoPath("animated.webp").c_str());
    ASSERT_EQ(decoded.refusedBy, refusedBy_t::nothing) << decoded.reason;
    EXPECT_EQ(decoded.bitmap.frames, 3u);
    // Lossless frames: the first is the picture itself.
    EXPECT_TRUE(decoded.bitmap.pixels == decodeFile(photoPath("photo.png").c_str()).bitmap.pixels);
}

TEST(WebpDecoder, HandsOnTheExifBlockAndIccProfile)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    const bytes_t tiff = {'I', 'I', 42, 0, 8, 0, 0, 0, 0, 0};
    bytes_t marked = {'E', 'x', 'i', 'f', 0, 0};
    marked.insert(marked.end(), tiff.begin(), tiff.end());
    const bytes_t profile = {0, 0, 1, 2, 'a', 'c', 's', 'p'};
    writeScratchFile("tiff.exif", tiff);
    writeScratchFile("marked.exif", marked);
    writeScratchFile("profile.icc", profile);
    ASSERT_TRUE(runPhotoTool({"cwebp", "-quiet", "photo.png", "-o", "plain.webp"}));
    const struct {
        std::vector<std::string> chunk;
        bytes_t exif, icc;
    } cases[] = {
        {{"exif", "tiff.exif"}, tiff, {}},
        // Some writers keep the marker of a JPEG's EXIF segment.
        {{"exif", "marked.exif"}, tiff, {}},
        {{"icc", "profile.icc"}, {}, profile},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.chunk.back());
        ASSERT_TRUE(runPhotoTool({"webpmux", "-set", c.chunk[0], c.chunk[1], "plain.webp", "-o", "tagged.webp"}));
        const decodedFile_t decoded = decodeFile(photoPath("tagged.webp").c_str());
        EXPECT_EQ(decoded.bitmap.exif, c.exif);
        EXPECT_EQ(decoded.bitmap.iccProfile, c.icc);
    }
}

TEST(WebpDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    if (!referenceToolsPresent(kWebpTools))
        GTEST_SKIP();
    ASSERT_TRUE(runPhotoTool({"cwebp", "-quiet", "photo.png", "-o", "whole.webp"}));
    const bytes_t webp = readBytes(photoPath("whole.webp"));
    const std::string garbled = std::string("RIFF\x1c\0\0\0WEBPVP8 \x10\0\0\0", 20) + std::string(16, 'x');
    for (const damagedImage_t &damaged : {
             damagedImage_t{"cut short", cut(webp, webp.size() * 9 / 10), "WebP data ends early"},
             damagedImage_t{"header only", cut(webp, 12), "WebP data ends early"},
             damagedImage_t{"garbled image chunk", {garbled.begin(), garbled.end()}, "damaged WebP"},
         }) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}

} // namespace
