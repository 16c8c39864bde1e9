#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(PsdDecoder, EveryStoredFormDecodesToItsPixels)
{
    for (const imageVariant_t &variant : variantsOf("PSD")) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

TEST(PsdDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    for (const damagedImage_t &damaged : damagedOf("PSD")) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}

} // namespace
