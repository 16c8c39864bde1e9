#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(PnmDecoder, EveryStoredFormDecodesToItsPixels)
{
    expectEveryVariantDecoded("PNM");
}

TEST(PnmDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    expectEveryDamagedRefused("PNM");
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
