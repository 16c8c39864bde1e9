#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(PsdDecoder, EveryStoredFormDecodesToItsPixels)
{
    expectEveryVariantDecoded("PSD");
}

TEST(PsdDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    expectEveryDamagedRefused("PSD");
}

} // namespace
