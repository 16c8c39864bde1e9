// The histogram holds every pixel's colour once, sorted by code, with cells
// that cover its colours and total them.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <map>

#include "fixtures/wholeImage.h"
#include "fixtures/testImages.h"
#include "fixtures/testThread.h"
#include "imaging/colorHistogram.h"

namespace {

struct histogramCase_t {
    const char *name;
    std::function<imagePtr()> image;
};

const histogramCase_t histogramCases[] = {
    {"OnePixel", [] { return solidImage(1, 1, 7, 8, 9); }},
    {"Solid", [] { return solidImage(30, 20, 200, 100, 50); }},
    {"Halves", [] { return halvesImage(40, 30); }},
    {"Noise", [] { return noiseImage(120, 90, 3); }},
    {"Photo", [] { return photoLikeImage(160, 120, 4); }},
    {"MostlyOneColour", [] {
         imagePtr image = solidImage(64, 64, 0, 0, 0);
         for (unsigned c = 0; c < 64; ++c)
             setPixel(image.get(), c, 63, 255, c * 4, 255 - c);
         return image;
     }},
};

class ColorHistogram : public testing::TestWithParam<histogramCase_t> {};

TEST_P(ColorHistogram, HoldsEveryPixelInItsCell)
{
    imagePtr image = GetParam().image();
    std::map<uint32_t, uint64_t> wanted;
    for (unsigned r = 0; r < image->height(); ++r)
        for (unsigned c = 0; c < image->width(); ++c)
            ++wanted[pixelAt(image.get(), c, r)];

    const colorHistogram_t histogram(runsOf(*image), testThread());
    std::map<uint32_t, uint64_t> held;
    uint32_t previousCode = 0, end = 0;
    for (size_t i = 0; i < histogram.allCells().size(); ++i) {
        const colorCell_t &cell = histogram.allCells()[i];
        ASSERT_EQ(cell.begin, end) << "cells follow each other";
        end = cell.end;
        colorTotals_t totals{0, 0, 0, 0, 0};
        histogram.forEachColor(cell, [&](unsigned r, unsigned g, unsigned b, uint64_t n) {
            const uint32_t code = colorCode(r, g, b);
            EXPECT_TRUE(held.empty() || code > previousCode) << "sorted, each colour once";
            EXPECT_EQ(code >> 9, histogram.cellCode(i));
            EXPECT_EQ(r & ~7u, cell.r);
            EXPECT_EQ(g & ~7u, cell.g);
            EXPECT_EQ(b & ~7u, cell.b);
            previousCode = code;
            held[r << 16 | g << 8 | b] += n;
            totals.add({n, n * r, n * g, n * b, n * (r * r + g * g + b * b)});
        });
        EXPECT_EQ(memcmp(&totals, &cell.totals, sizeof totals), 0) << "cell " << i;
    }
    EXPECT_EQ(end, histogram.pixelCount());
    EXPECT_EQ(held, wanted);
}

INSTANTIATE_TEST_SUITE_P(Images, ColorHistogram, testing::ValuesIn(histogramCases),
                         [](const testing::TestParamInfo<histogramCase_t> &info) { return std::string(info.param.name); });

} // namespace
