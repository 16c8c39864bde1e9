#include <gtest/gtest.h>

#include "referenceDecoders_support.h"

namespace {

#if DAWNMARK_JXL
TEST(JxlDecoder, DecodesAsDjxlDoes)
{
    if (!referenceToolsPresent({"cjxl", "djxl"}))
        GTEST_SKIP();
    expectAsReference({{"cjxl", "-q", "80", "photo.png", "lossy.jxl"},
                       {"cjxl", "-q", "80", "photo-alpha.png", "alpha.jxl"},
                       {"cjxl", "-d", "0", "photo-alpha.png", "lossless.jxl"}},
                      {"djxl", "FILE", "reference.png"}, "JPEG XL data ends early");
}
#endif

} // namespace
