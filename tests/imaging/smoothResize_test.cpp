#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <tuple>

#include "imageFixtures_support.h"
#include "imaging/smoothResize.h"

namespace {

struct zoomCase_t {
    const char *name;
    std::function<void(loadedImage_t *)> zoom;
    double least, most; ///< bounds of the mean distance from grey
};

class SmoothZoom : public testing::TestWithParam<zoomCase_t> {};

// Stripes across and down that grow finer as in a zone plate, all finer
// than a quarter of the pixels can show: zoomed down four times they should
// become flat grey; sampled, or filtered one way only, they become moiré.
TEST_P(SmoothZoom, FineDetailBecomesItsAverage)
{
    imagePtr image = blankImage(256, 192);
    for (unsigned i = 0; i < 256 * 192; ++i) {
        const double across = std::cos(0.0014 * std::pow(i % 256 + 400.0, 2));
        const double down = std::cos(0.0014 * std::pow(i / 256 + 400.0, 2));
        const unsigned v = unsigned(std::lround(127.5 + 63.75 * (across + down)));
        setPixel(image.get(), i % 256, i / 256, v, v, v);
    }
    traceOf(0, [&] { GetParam().zoom(image.get()); });
    ASSERT_EQ(image->width * image->height, 64u * 48u);
    double distance = 0;
    for (unsigned i = 0; i < 64 * 48; ++i)
        distance += std::abs(int(pixelAt(image.get(), i % 64, i / 64) & 0xff) - 127.5) / (64 * 48);
    EXPECT_GE(distance, GetParam().least);
    EXPECT_LE(distance, GetParam().most);
}

INSTANTIATE_TEST_SUITE_P(
    Zooms, SmoothZoom,
    testing::Values(zoomCase_t{"PointSampling", [](loadedImage_t *i) { i->resizeTo(64, 48); }, 40, 128},
                    zoomCase_t{"Smooth", [](loadedImage_t *i) { resizeSmoothlyTo(i, 64, 48); }, 0, 4},
                    zoomCase_t{"Covering", [](loadedImage_t *i) { coverBox(i, 64, 48); }, 0, 4},
                    zoomCase_t{"Within", [](loadedImage_t *i) { fitInBox(i, 64, 48); }, 0, 4}),
    [](const testing::TestParamInfo<zoomCase_t> &info) { return std::string(info.param.name); });

// Pictures of 300 x 100 at (10, 20), zoomed into a box of 100 x 100:
// covering keeps the middle, cut evenly at both ends; within keeps all, centred.
struct boxCase_t {
    const char *name;
    bool cover;
    std::function<uint32_t(unsigned column)> shade; ///< 0xRRGGBB
    std::tuple<uint32_t, uint32_t, int, int> geometry;
    std::function<void(const loadedImage_t *)> check;
};

class SmoothBox : public testing::TestWithParam<boxCase_t> {};

TEST_P(SmoothBox, CoverCropsAndWithinCentres)
{
    const boxCase_t &c = GetParam();
    imagePtr image = blankImage(300, 100, 10, 20);
    for (unsigned i = 0; i < 300 * 100; ++i) {
        const uint32_t rgb = c.shade(i % 300);
        setPixel(image.get(), i % 300, i / 300, rgb >> 16, rgb >> 8 & 0xff, rgb & 0xff);
    }
    traceOf(0, [&] { c.cover ? coverBox(image.get(), 100, 100) : fitInBox(image.get(), 100, 100); });
    EXPECT_EQ(std::make_tuple(image->width, image->height, image->x, image->y), c.geometry);
    c.check(image.get());
}

uint32_t thirds(unsigned column) { return column < 100 ? 0xff0000 : column < 200 ? 0x00ff00 : 0x0000ff; }

INSTANTIATE_TEST_SUITE_P(
    Pictures, SmoothBox,
    testing::Values(
        boxCase_t{"CoverKeepsTheMiddleThird", true, thirds, {100u, 100u, 10, 20},
                  [](const loadedImage_t *image) { EXPECT_EQ(pixelAt(image, 2, 50), 0x00ff00u); }},
        boxCase_t{"WithinKeepsAllCentred", false, thirds, {100u, 33u, 10, 53},
                  [](const loadedImage_t *image) { EXPECT_EQ(pixelAt(image, 2, 16), 0xff0000u); }},
        // Cut one old pixel too far right, the edge would move left a column.
        boxCase_t{"CoverCutsBothEndsEvenly", true, [](unsigned column) { return column < 150 ? 0u : 0xffffffu; },
                  {100u, 100u, 10, 20},
                  [](const loadedImage_t *image) {
                      EXPECT_LT(pixelAt(image, 49, 50) & 0xff, 128u);
                      EXPECT_GE(pixelAt(image, 50, 50) & 0xff, 128u);
                  }}),
    [](const testing::TestParamInfo<boxCase_t> &info) { return std::string(info.param.name); });

// Columns of opaque red between columns of transparent green: the green
// is hidden, and must not tint the zoomed pixels.
TEST(SmoothZoom, TransparentPixelsLendNoColour)
{
    imagePtr image = blankImage(64, 8);
    image->hasAlpha = true;
    for (unsigned i = 0; i < 64 * 8; ++i)
        std::memcpy(&image->pixels[i * 4], i % 2 == 0 ? "\0\0\xff\xff" : "\0\xff\0\0", 4);
    traceOf(0, [&] { resizeSmoothlyTo(image.get(), 16, 2); });
    ASSERT_EQ(image->width, 16u);
    for (unsigned i = 0; i < 32; ++i)
        EXPECT_EQ(pixelAt(image.get(), i % 16, i / 16), 0xff0000u) << i;
}

} // namespace
