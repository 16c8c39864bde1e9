#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(GifDecoder, EveryStoredFormDecodesToItsPixels)
{
    for (const imageVariant_t &variant : variantsOf("GIF")) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

TEST(GifDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    for (const damagedImage_t &damaged : damagedOf("GIF")) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}

} // namespace
