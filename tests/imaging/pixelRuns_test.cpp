// The runs over the images hold the very pixels of the drawn composite:
// each image over those before it, clipped to the canvas, black elsewhere.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "fixtures/testImages.h"
#include "fixtures/wholeImage.h"
#include "imaging/pixelRuns.h"

namespace {

struct place_t {
    uint32_t w, h;
    int32_t x, y;
};

struct layoutCase_t {
    const char *name;
    std::vector<place_t> places;
};

const layoutCase_t layoutCases[] = {
    {"NoImages", {}},
    {"OneCoveringTheCanvas", {{64, 48, 0, 0}}},
    {"LaterOverEarlier", {{40, 30, 0, 0}, {40, 30, 20, 10}, {10, 10, 25, 15}}},
    {"InsideAndAcross", {{64, 48, 0, 0}, {10, 10, 5, 5}, {64, 4, 0, 6}}},
    {"PastTheEdges", {{30, 30, 50, 40}, {5, 5, 64, 0}, {5, 5, 0, 48}, {100, 2, 0, 47}}},
    {"StrayNegativePlace", {{10, 10, -3, 2}, {10, 10, 2, -3}}},
    {"Empty", {{0, 10, 3, 3}, {10, 0, 3, 3}}},
    {"Tiles", {{32, 24, 0, 0}, {32, 24, 32, 0}, {32, 24, 0, 24}, {32, 24, 32, 24}}},
};

class CanvasRuns : public testing::TestWithParam<layoutCase_t> {};

TEST_P(CanvasRuns, HoldTheDrawnCompositesPixels)
{
    std::vector<imagePtr> images;
    std::vector<const loadedImage_t *> pointers;
    for (const place_t &place : GetParam().places) {
        images.push_back(blankImage(place.w, place.h, place.x, place.y));
        for (uint32_t r = 0; r < place.h; ++r)
            for (uint32_t c = 0; c < place.w; ++c)
                setPixel(images.back().get(), c, r, uint8_t(images.size()), uint8_t(c), uint8_t(r));
        pointers.push_back(images.back().get());
    }
    const loadedImage_t drawn = mixImages(pointers.data(), unsigned(pointers.size()), 64, 48);
    std::vector<uint32_t> wanted(64 * 48), counted;
    std::memcpy(wanted.data(), drawn.pixels().data(), drawn.pixels().size());

    const pixelRuns_t runs = canvasRuns(pointers.data(), unsigned(pointers.size()), 64, 48);
    runs.forEach([&](const uint8_t *pixel) {
        uint32_t word;
        std::memcpy(&word, pixel, 4);
        counted.push_back(word);
    });
    EXPECT_EQ(runs.total(), counted.size());
    std::sort(wanted.begin(), wanted.end());
    std::sort(counted.begin(), counted.end());
    EXPECT_EQ(counted, wanted);
}

INSTANTIATE_TEST_SUITE_P(Layouts, CanvasRuns, testing::ValuesIn(layoutCases),
                         [](const testing::TestParamInfo<layoutCase_t> &info) { return std::string(info.param.name); });

} // namespace
