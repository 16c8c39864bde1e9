// The image phase decodes each picture as large as its entry needs and
// hints under -v at what the picture will show.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "base/secondThread.h"
#include "driver/run.h"
#include "fixtures/imageFiles.h"
#include "support/scratch.h"
#include "support/traceCapture.h"

namespace {

/// A picture of one-pixel stripes down, black from column 0.
rgbaImage_t stripes(uint32_t width, uint32_t height)
{
    rgbaImage_t image{width, height, {}};
    for (uint32_t i = 0; i < width * height; ++i) {
        const uint8_t v = i % width % 2 == 0 ? 0 : 255;
        image.rgba.insert(image.rgba.end(), {v, v, v, 255});
    }
    return image;
}

struct phaseCase_t {
    const char *name;
    std::function<bytes_t()> file;
    splashModifier_t modifier;
    uint32_t width, height;
    /// Checks what the phase traced at -v and the image it made.
    std::function<void(const std::string &trace, const loadedImage_t &image)> check;
};

class ImagePhase : public testing::TestWithParam<phaseCase_t> {};

TEST_P(ImagePhase, DecodesAndHints)
{
    const phaseCase_t &c = GetParam();
    splashDescription_t description{};
    description.screenWidth = description.screenHeight = 2000;
    description.imageCount = 1;
    description.images[0] = {writeScratchFile(c.name, c.file()), 0, 0, c.modifier, c.width, c.height};
    std::vector<loadedImage_t> images, strips;
    secondThread_t thread;
    const std::string trace = traceOf(2, [&] {
        ASSERT_EQ(runImagePhase(description, false, false, &images, &strips, &thread), 0);
    });
    ASSERT_EQ(images.size(), 1u);
    c.check(trace, images[0]);
}

uint32_t decodedWidth(const std::string &trace)
{
    const size_t at = trace.find("Geometry: ");
    return at == std::string::npos ? 0 : uint32_t(std::stoul(trace.substr(at + 10)));
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, ImagePhase,
    testing::Values(
        // Half of 1278 is 639: the reduced scale that rounds to 640 is too small.
        phaseCase_t{"CoveringDecodesNoSmallerThanTheBox",
                    [] { return encodeJpeg(colourfulImage(1278, 960), jpegKind_t::colour); }, MOD_COVERING, 640, 480,
                    [](const std::string &trace, const loadedImage_t &) { EXPECT_GE(decodedWidth(trace), 640u) << trace; }},
        // Point sampling takes every fourth column of the picture as stored:
        // all black; from a reduced decode, the stripes' grey.
        phaseCase_t{"PointSampledResizeTakesTheWholeDecode",
                    [] { return encodeJpeg(stripes(1280, 960), jpegKind_t::colour); }, MOD_RESIZED, 320, 240,
                    [](const std::string &, const loadedImage_t &image) {
                        ASSERT_EQ(image.width, 320u);
                        for (size_t i = 0; i < image.pixels.size(); i += 4)
                            ASSERT_LT(*std::max_element(&image.pixels[i], &image.pixels[i + 3]), 64) << i / 4;
                    }},
        phaseCase_t{"OpaqueAlphaGetsNoTransparencyHint",
                    [] { return encodePng(colourfulImage(8, 8), true); }, MOD_NONE, 0, 0,
                    [](const std::string &trace, const loadedImage_t &) {
                        EXPECT_EQ(trace.find("transparent pixels"), std::string::npos) << trace;
                    }}),
    [](const testing::TestParamInfo<phaseCase_t> &info) { return std::string(info.param.name); });

} // namespace
