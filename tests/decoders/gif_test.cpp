#include <gtest/gtest.h>

#include "decoderChecks_support.h"

namespace {

TEST(GifDecoder, EveryStoredFormDecodesToItsPixels)
{
    expectEveryVariantDecoded("GIF");
}

TEST(GifDecoder, DamagedFilesAreRefusedWithTheirReason)
{
    expectEveryDamagedRefused("GIF");
}

} // namespace
