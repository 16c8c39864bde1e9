#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(TgaDecoder, EveryStoredFormDecodesToItsPixels)
{
    expectEveryVariantDecoded("TGA");
}

TEST(TgaDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    expectEveryDamagedRefused("TGA");
}

} // namespace
