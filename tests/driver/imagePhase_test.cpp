// The image phase decodes each picture as large as its entry needs and hints under -v.
#include <gtest/gtest.h>

#include <functional>

#include "driver/run.h"
#include "fixtures/imageFiles.h"
#include "fixtures/testThread.h"
#include "support/scratch.h"
#include "support/traceCapture.h"

namespace {

struct phaseCase_t {
    const char *name;
    std::function<bytes_t()> file;
    splashModifier_t modifier;
    uint32_t width, height;
    const char *traced, *untraced; ///< in the trace at -v, and not in it
};

class ImagePhase : public testing::TestWithParam<phaseCase_t> {};

TEST_P(ImagePhase, DecodesAndHints)
{
    const phaseCase_t &c = GetParam();
    splashDescription_t description{};
    description.addImage({writeScratchFile(c.name, c.file()), 0, 0, c.modifier, c.width, c.height, 50, 50});
    std::vector<loadedImage_t> images, strips;
    const std::string trace = traceOf(2, [&] { runImagePhase(description, runSettings_t(), &images, &strips, &testThread()); });
    ASSERT_EQ(images.size(), 1u) << trace;
    EXPECT_NE(trace.find(c.traced), std::string::npos) << trace;
    EXPECT_EQ(trace.find(c.untraced), std::string::npos) << trace;
}

// Half of 1278 is 639: the reduced scale that rounds to 640 is too small. Point
// sampling takes every n-th pixel of the picture as stored, never of a reduced decode.
INSTANTIATE_TEST_SUITE_P(
    Pictures, ImagePhase,
    testing::Values(phaseCase_t{"CoveringDecodesNoSmallerThanTheBox",
                                [] { return encodeJpeg(colourfulImage(1278, 960), jpegKind_t::colour); },
                                MOD_COVERING, 640, 480, "Geometry: 1278x960", "Geometry: 639"},
                    phaseCase_t{"PointSampledResizeTakesTheWholeDecode",
                                [] { return encodeJpeg(colourfulImage(1280, 960), jpegKind_t::colour); },
                                MOD_RESIZED, 320, 240, "Geometry: 1280x960", "Geometry: 320"},
                    phaseCase_t{"OpaqueAlphaGetsNoTransparencyHint",
                                [] { return encodePng(colourfulImage(8, 8), true); }, MOD_NONE, 0, 0, "Geometry: 8x8",
                                "transparent pixels"}),
    [](const testing::TestParamInfo<phaseCase_t> &info) { return std::string(info.param.name); });

} // namespace
