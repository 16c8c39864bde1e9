#include <gtest/gtest.h>

#include "referenceDecoders_support.h"

namespace {

#if DAWNMARK_JXL
const command_t kJxlTools = {"cjxl", "djxl"};

TEST(JxlDecoder, DecodesAsDjxlDoes)
{
    if (!referenceToolsPresent(kJxlTools))
        GTEST_SKIP();
    expectAsReference({{"cjxl", "-q", "80", "photo.png", "lossy.jxl"},
                       {"cjxl", "-q", "80", "photo-alpha.png", "alpha.jxl"},
                       {"cjxl", "-d", "0", "photo-alpha.png", "lossless.jxl"}},
                      {"djxl", "FILE", "reference.png"});
    const bytes_t jxl = madeBy({"cjxl", "-q", "80", "photo.png", "whole.jxl"});
    expectRefused({"JPEG XL cut short", cut(jxl, jxl.size() * 9 / 10), "JPEG XL data ends early"});
}
#endif

} // namespace
