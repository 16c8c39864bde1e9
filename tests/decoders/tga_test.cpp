#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(TgaDecoder, EveryStoredFormDecodesToItsPixels)
{
    for (const imageVariant_t &variant : variantsOf("TGA")) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

TEST(TgaDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    for (const damagedImage_t &damaged : damagedOf("TGA")) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}

} // namespace
