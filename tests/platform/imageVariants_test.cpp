#include <gtest/gtest.h>

#include "fixtures/imageVariants.h"
#include "platform/GraphicsDefs.h"

namespace {

void expectDecodedAs(const imageVariant_t &variant)
{
    const translated_t result = translateBytes(variant.file);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.rowBytes, variant.width * 4);
    EXPECT_EQ(result.dataSize, variant.width * variant.height * 4);
    EXPECT_EQ(result.colors, variant.alpha ? uint32_t(B_RGBA32) : uint32_t(B_RGB32));
    EXPECT_TRUE(result.pixels == variant.bgra);
}

TEST(ImageVariants, EveryStoredFormDecodesToItsPixels)
{
    for (const imageVariant_t &variant : imageVariants()) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

TEST(ImageVariants, DamagedFilesAreRefusedWithTheirReason)
{
    for (const damagedImage_t &damaged : damagedImages()) {
        SCOPED_TRACE(damaged.name);
        const translated_t result = translateBytes(damaged.file);
        EXPECT_FALSE(result.ok);
        EXPECT_EQ(result.streamLength, 0u);
        EXPECT_NE(result.reason.find(damaged.reason), std::string::npos) << result.reason;
    }
}

// Photo-sized 16-bit files, as raw converters write them, once read past
// the decoder's buffer and crashed.
TEST(ImageVariants, PhotoSizedSixteenBitPnm)
{
    for (char kind : {'5', '6'}) {
        SCOPED_TRACE(kind);
        expectDecodedAs(sixteenBitPnm(kind, 2980, 2270));
    }
}

} // namespace
