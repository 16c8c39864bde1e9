#include "fixtures/wholeImage.h"
#include "fixtures/testImages.h"

#include <gtest/gtest.h>

namespace {

TEST(MixImages, NoImagesGiveABlackCanvas)
{
    const loadedImage_t canvas = mixImages(nullptr, 0, 64, 48);
    ASSERT_EQ(canvas.width(), 64u);
    ASSERT_EQ(canvas.height(), 48u);
    for (unsigned i = 0; i < 64 * 48 * 4; ++i)
        ASSERT_EQ(canvas.pixels()[i], 0) << i;
}

TEST(MixImages, LaterImagesCoverEarlierOnesWithAllFourBytes)
{
    std::vector<imagePtr> images;
    images.push_back(solidImage(10, 10, 255, 0, 0));
    images.push_back(solidImage(10, 10, 0, 0, 255));
    images[1]->placeAt(5, 5);
    images[1]->writablePixels()[3] = 0x80;
    imagePtr canvas = mixedImage(images, 20, 20);
    EXPECT_EQ(pixelAt(canvas.get(), 4, 4), 0xff0000u);
    EXPECT_EQ(pixelAt(canvas.get(), 5, 5), 0x0000ffu);
    EXPECT_EQ(canvas->pixels()[(5 * 20 + 5) * 4 + 3], 0x80);
    EXPECT_EQ(pixelAt(canvas.get(), 14, 14), 0x0000ffu);
    EXPECT_EQ(pixelAt(canvas.get(), 15, 15), 0u);
}

TEST(MixImages, ImagesPastTheEdgesContributeOnlyWhatLiesInside)
{
    // 100 wide at x 600 of 640: 40 columns, rows still read 400 bytes apart.
    std::vector<imagePtr> images;
    images.push_back(blankImage(100, 30, 600, 470));
    for (unsigned r = 0; r < 30; ++r)
        for (unsigned c = 0; c < 100; ++c)
            setPixel(images[0].get(), c, r, r, c, 1);
    images.push_back(solidImage(5, 5, 9, 9, 9));
    images[1]->placeAt(700, 0);
    images.push_back(solidImage(5, 5, 9, 9, 9));
    images[2]->placeAt(0, 480);
    imagePtr canvas = mixedImage(images, 640, 480);
    EXPECT_EQ(pixelAt(canvas.get(), 639, 479), 9u << 16 | 39u << 8 | 1u);
    EXPECT_EQ(pixelAt(canvas.get(), 600, 471), 1u << 16 | 0u << 8 | 1u);
    EXPECT_EQ(pixelAt(canvas.get(), 599, 479), 0u);
    for (unsigned r = 0; r < 480; ++r)
        for (unsigned c = 0; c < 640; ++c)
            if (canvas->pixels()[(r * 640 + c) * 4] == 9)
                ADD_FAILURE() << "off-canvas image drawn at " << c << "," << r;
}

} // namespace
