#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(PnmDecoder, EveryStoredFormDecodesToItsPixels)
{
    for (const imageVariant_t &variant : variantsOf("PNM")) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

TEST(PnmDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    for (const damagedImage_t &damaged : damagedOf("PNM")) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}

// Photo-sized 16-bit files, as raw converters write them, once read past
// the decoder's buffer and crashed.
TEST(PnmDecoder, PhotoSizedSixteenBitPnm)
{
    for (char kind : {'5', '6'}) {
        SCOPED_TRACE(kind);
        expectDecodedAs(sixteenBitPnm(kind, 2980, 2270));
    }
}

} // namespace
