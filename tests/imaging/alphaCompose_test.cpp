#include "imaging/alphaCompose.h"
#include "imaging/plainRender_support.h"
#include "fixtures/testImages.h"

#include <gtest/gtest.h>

#include <cstring>
#include <deque>

namespace {

void fillAlpha(loadedImage_t *image, unsigned alpha)
{
    readAlpha(image, true);
    for (uint64_t p = 0; p < uint64_t(image->width()) * image->height(); ++p)
        image->writablePixels()[p * 4 + 3] = uint8_t(alpha);
}

struct blendCase_t {
    unsigned source, alpha, beneath, expected;
};

class Blend : public testing::TestWithParam<blendCase_t> {};

TEST_P(Blend, RoundsTheWeightedSum)
{
    const blendCase_t &c = GetParam();
    imagePtr below = solidImage(4, 4, c.beneath, 0, 255);
    below->writablePixels()[3] = 0; // no alpha: the fourth byte means nothing
    imagePtr above = solidImage(2, 2, c.source, 0, 255);
    above->placeAt(1, 1);
    fillAlpha(above.get(), c.alpha);
    const loadedImage_t *images[] = {below.get(), above.get()};
    std::deque<loadedImage_t> composed;
    composeImages(images, 2, &composed);
    ASSERT_EQ(images[0], below.get());
    ASSERT_EQ(composed.size(), 1u);
    ASSERT_EQ(images[1], &composed[0]);
    EXPECT_EQ(pixelAt(images[1], 0, 0), c.expected << 16 | 0u << 8 | 255u);
    EXPECT_EQ(images[1]->pixels()[3], 255);
    EXPECT_EQ(images[1]->x(), 1);
    EXPECT_EQ(images[1]->width(), 2u);
}

INSTANTIATE_TEST_SUITE_P(Values, Blend,
                         testing::Values(blendCase_t{200, 128, 100, 150}, blendCase_t{255, 255, 0, 255},
                                         blendCase_t{10, 0, 77, 77}, blendCase_t{255, 1, 0, 1},
                                         blendCase_t{0, 254, 255, 1}, blendCase_t{254, 127, 1, 127}));

TEST(ComposeImages, BlackWhereNothingLiesBeneathAndComposedImagesBeneathLaterOnes)
{
    imagePtr first = solidImage(4, 1, 200, 200, 200);
    fillAlpha(first.get(), 128);
    imagePtr second = solidImage(4, 1, 0, 0, 0);
    second->placeAt(2, 0);
    fillAlpha(second.get(), 0);
    const loadedImage_t *images[] = {first.get(), second.get()};
    std::deque<loadedImage_t> composed;
    composeImages(images, 2, &composed);
    // (128 * 200 + 127 * 0 + 127) / 255 = 100 over black; the second image
    // is see-through and shows the first as composed, then black.
    EXPECT_EQ(pixelAt(images[0], 0, 0), 0x646464u);
    EXPECT_EQ(pixelAt(images[1], 0, 0), 0x646464u);
    EXPECT_EQ(pixelAt(images[1], 1, 0), 0x646464u);
    EXPECT_EQ(pixelAt(images[1], 2, 0), 0u);
    EXPECT_EQ(pixelAt(first.get(), 0, 0), 0xc8c8c8u) << "the loaded image is left as it is";
}

// Scattered images, some with alpha of every kind, overlapping and reaching
// past the edges of the screen, against the pixel-by-pixel reference.
struct composeCase_t {
    const char *name;
    unsigned count, W, H;
    uint64_t seed;
};

class ComposeEquality : public testing::TestWithParam<composeCase_t> {};

TEST_P(ComposeEquality, MatchesTheReference)
{
    const composeCase_t &c = GetParam();
    std::vector<imagePtr> images = scatteredImages(c.count, c.W, c.H, c.seed);
    testRandom_t random(c.seed + 1);
    for (imagePtr &image : images) {
        readAlpha(image.get(), random.below(3) != 0);
        const unsigned kind = random.below(3);
        for (uint64_t p = 0; p < uint64_t(image->width()) * image->height(); ++p)
            image->writablePixels()[p * 4 + 3] = uint8_t(kind == 0 ? random.below(256) : kind == 1 ? 255 * random.below(2) : 0);
    }
    std::vector<const loadedImage_t *> slots;
    for (const imagePtr &image : images)
        slots.push_back(image.get());
    const std::vector<const loadedImage_t *> loaded = slots;
    std::deque<loadedImage_t> composed;
    composeImages(slots.data(), unsigned(slots.size()), &composed);
    std::vector<imagePtr> expected = plainComposeImages(loaded);
    for (size_t i = 0; i < slots.size(); ++i) {
        ASSERT_EQ(slots[i] == images[i].get(), !images[i]->hasAlpha()) << i;
        ASSERT_EQ(slots[i]->width(), expected[i]->width());
        ASSERT_EQ(memcmp(slots[i]->pixels().data(), expected[i]->pixels().data(),
                         uint64_t(slots[i]->width()) * slots[i]->height() * 4),
                  0)
            << "image " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComposeEquality,
                         testing::Values(composeCase_t{"Few", 3, 200, 150, 1}, composeCase_t{"Many", 40, 320, 240, 2},
                                         composeCase_t{"Crowded", 64, 160, 120, 3},
                                         composeCase_t{"Wide", 12, 900, 200, 4}),
                         [](const testing::TestParamInfo<composeCase_t> &info) { return std::string(info.param.name); });

} // namespace
