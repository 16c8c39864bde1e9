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
// become flat grey, the grey of their mean light (a mean of sRGB levels is
// far darker); sampled, or filtered one way only, they become moiré.
TEST_P(SmoothZoom, FineDetailBecomesItsAverage)
{
    imagePtr image = blankImage(256, 192);
    double light = 0;
    for (unsigned i = 0; i < 256 * 192; ++i) {
        const double across = std::cos(0.0014 * std::pow(i % 256 + 400.0, 2));
        const double down = std::cos(0.0014 * std::pow(i / 256 + 400.0, 2));
        const unsigned v = unsigned(std::lround(127.5 + 63.75 * (across + down)));
        setPixel(image.get(), i % 256, i / 256, v, v, v);
        // The sRGB curve, whose straight foot below level 11 is left out.
        light += std::pow((v / 255.0 + 0.055) / 1.055, 2.4) / (256 * 192);
    }
    const double grey = (1.055 * std::pow(light, 1 / 2.4) - 0.055) * 255;
    traceOf(0, [&] { GetParam().zoom(image.get()); });
    ASSERT_EQ(image->width() * image->height(), 64u * 48u);
    double distance = 0;
    for (unsigned i = 0; i < 64 * 48; ++i)
        distance += std::abs(int(pixelAt(image.get(), i % 64, i / 64) & 0xff) - grey) / (64 * 48);
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

// Thirds of red, green and blue: covering keeps the middle, or the third
// around its focus; within keeps all, centred. Halves of black and white:
// covering cuts both ends evenly, so the edge falls between columns 49 and 50.
TEST(SmoothZoom, CoverCropsAndWithinCentres)
{
    const struct {
        bool cover;
        bool halves;
        double focusX;
        uint32_t left;
    } cases[] = {{true, false, 0.5, 0x00ff00}, {true, false, 1.0, 0x0000ff}, {false, false, 0.5, 0xff0000},
                 {true, true, 0.5, 0}};
    for (const auto &c : cases) {
        imagePtr image = blankImage(300, 100, 10, 20);
        for (unsigned i = 0; i < 300 * 100; ++i) {
            const unsigned x = i % 300;
            const uint32_t rgb = c.halves ? (x < 150 ? 0 : 0xffffff) : 0xff0000u >> (x / 100 * 8);
            setPixel(image.get(), x, i / 300, rgb >> 16, rgb >> 8 & 255, rgb & 255);
        }
        traceOf(0, [&] {
            c.cover ? coverBox(image.get(), 100, 100, {c.focusX, 0.5}) : fitInBox(image.get(), 100, 100);
        });
        EXPECT_EQ(std::make_tuple(image->width(), image->height(), image->x(), image->y()),
                  c.cover ? std::make_tuple(100u, 100u, 10, 20) : std::make_tuple(100u, 33u, 10, 53));
        if (c.halves)
            EXPECT_TRUE((pixelAt(image.get(), 49, 50) & 255) < 128 && (pixelAt(image.get(), 50, 50) & 255) >= 128);
        else
            EXPECT_EQ(pixelAt(image.get(), 2, image->height() / 2), c.left) << c.focusX;
    }
}

// A JPEG decoded at a reduced scale may end inside its last row: 64 x 33
// pixels that show 64 x 32.5 fill a 128 x 65 box exactly; as whole pixels
// they would fall short of it across.
TEST(SmoothZoom, ThePictureEndsAtItsOwnEdge)
{
    const struct {
        double overhangBottom;
        uint32_t width;
    } cases[] = {{0, 126}, {0.5, 128}};
    for (const auto &c : cases) {
        imagePtr image(new loadedImage_t(64, 33, std::vector<uint8_t>(64 * 33 * 4), false, 0, c.overhangBottom));
        traceOf(0, [&] { fitInBox(image.get(), 128, 65); });
        EXPECT_EQ(std::make_pair(image->width(), image->height()), std::make_pair(c.width, 65u)) << c.overhangBottom;
    }
}

// Columns of opaque red between columns of transparent green: the green
// is hidden, and must not tint the zoomed pixels.
TEST(SmoothZoom, TransparentPixelsLendNoColour)
{
    imagePtr image = blankImage(64, 8, 0, 0, true);
    for (unsigned i = 0; i < 64 * 8; ++i)
        std::memcpy(image->writablePixels() + i * 4, i % 2 == 0 ? "\0\0\xff\xff" : "\0\xff\0\0", 4);
    traceOf(0, [&] { resizeSmoothlyTo(image.get(), 16, 2); });
    ASSERT_EQ(image->width(), 16u);
    for (unsigned i = 0; i < 32; ++i)
        EXPECT_EQ(pixelAt(image.get(), i % 16, i / 16), 0xff0000u) << i;
}

} // namespace
