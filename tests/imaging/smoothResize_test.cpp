#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>

#include "imageFixtures_support.h"
#include "imaging/smoothResize.h"

namespace {

// Rings of a zone plate centred far outside the image: every part of it
// is finer than a quarter of its pixels can show, so zoomed down four times
// it should become flat grey; sampled, it becomes moiré.
imagePtr finePattern(unsigned w, unsigned h)
{
    imagePtr image = blankImage(w, h);
    for (unsigned row = 0; row < h; ++row)
        for (unsigned column = 0; column < w; ++column) {
            const double r2 = std::pow(column + 400.0, 2) + std::pow(row + 400.0, 2);
            const unsigned v = unsigned(std::lround(127.5 + 127.5 * std::cos(0.0014 * r2)));
            setPixel(image.get(), column, row, v, v, v);
        }
    return image;
}

struct zoomCase_t {
    const char *name;
    std::function<void(loadedImage_t *)> zoom;
    double least, most; ///< bounds of the mean distance from grey
};

class SmoothZoom : public testing::TestWithParam<zoomCase_t> {};

TEST_P(SmoothZoom, FineDetailBecomesItsAverage)
{
    imagePtr image = finePattern(256, 192);
    traceOf(0, [&] { GetParam().zoom(image.get()); });
    ASSERT_EQ(image->width * image->height, 64u * 48u);
    double distance = 0;
    for (unsigned row = 0; row < 48; ++row)
        for (unsigned column = 0; column < 64; ++column)
            distance += std::abs(int(pixelAt(image.get(), column, row) & 0xff) - 127.5);
    distance /= 64 * 48;
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

// Thirds of red, green and blue: covering keeps the middle, within all of
// it, centred.
TEST(SmoothZoom, CoverCropsAndWithinCentres)
{
    const struct {
        const char *name;
        bool cover;
        unsigned width, height;
        int x, y;
        uint32_t leftColour;
    } cases[] = {{"cover", true, 100, 100, 10, 20, 0x00ff00}, {"within", false, 100, 33, 10, 53, 0xff0000}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        imagePtr image = blankImage(300, 100, 10, 20);
        for (unsigned column = 0; column < 300; ++column)
            for (unsigned row = 0; row < 100; ++row)
                setPixel(image.get(), column, row, column < 100 ? 255 : 0, column / 100 == 1 ? 255 : 0,
                         column >= 200 ? 255 : 0);
        traceOf(0, [&] { c.cover ? coverBox(image.get(), 100, 100) : fitInBox(image.get(), 100, 100); });
        EXPECT_EQ(image->width, c.width);
        EXPECT_EQ(image->height, c.height);
        EXPECT_EQ(image->x, c.x);
        EXPECT_EQ(image->y, c.y);
        EXPECT_EQ(pixelAt(image.get(), 2, c.height / 2), c.leftColour);
    }
}

// Columns of opaque red between columns of transparent green: the green
// is hidden, and must not tint the zoomed pixels.
TEST(SmoothZoom, TransparentPixelsLendNoColour)
{
    imagePtr image = blankImage(64, 8);
    image->hasAlpha = true;
    for (unsigned i = 0; i < 64 * 8; ++i) {
        const bool red = i % 2 == 0;
        setPixel(image.get(), i % 64, i / 64, red ? 255 : 0, red ? 0 : 255, 0);
        image->pixels[i * 4 + 3] = red ? 255 : 0;
    }
    traceOf(0, [&] { resizeSmoothlyTo(image.get(), 16, 2); });
    ASSERT_EQ(image->width, 16u);
    for (unsigned i = 0; i < 32; ++i) {
        // The edge pixels stand for what lies beyond them, which upsets the
        // half opacity at the ends.
        if (i % 16 > 1 && i % 16 < 14)
            EXPECT_NEAR(image->pixels[i * 4 + 3], 128, 4) << i;
        EXPECT_EQ(pixelAt(image.get(), i % 16, i / 16), 0xff0000u) << i;
    }
}

} // namespace
