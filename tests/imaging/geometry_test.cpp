#include <gtest/gtest.h>

#include <climits>
#include <new>
#include <stdexcept>

#include "diagnostics/traceMsg.h"
#include "imageFixtures_support.h"
#include "imaging/loadedImage.h"

namespace {

// Operations start one level deep, so that the trace shows their nesting.
class Geometry : public testing::Test {
protected:
    void SetUp() override { ident_level = 1; }
    void TearDown() override
    {
        ident_level = 0;
        trace_level = 1;
    }
};

// The two lines of a clip that changes the size, one level below the caller.
std::string clipLines(unsigned w, unsigned h, unsigned newW, unsigned newH)
{
    return "... ... clipping to " + std::to_string(w) + " " + std::to_string(h) +
           "\n... ... ... new size " + std::to_string(newW) + "x" + std::to_string(newH) + "\n";
}

// Every pixel of `image` must be the source pixel the maps name.
template <typename ColumnMap, typename RowMap>
void expectSampled(const loadedImage_t *image, ColumnMap column, RowMap row)
{
    for (unsigned r = 0; r < image->height(); ++r)
        for (unsigned c = 0; c < image->width(); ++c) {
            const auto expected = std::make_pair(column(c), row(r));
            ASSERT_EQ(imageCoordinatesAt(image, c, r), expected) << "at " << c << "," << r;
        }
}

// A buffer of any other size than its width x height pixels (reckoned in 64
// bits) is refused, and the image keeps its own.
TEST_F(Geometry, PixelsMatchTheSize)
{
    const struct {
        uint32_t w, h;
        size_t bytes;
    } cases[] = {{2, 2, 15}, {2, 2, 17}, {0, 5, 4}, {1u << 31, 2, 0}};
    for (const auto &c : cases) {
        EXPECT_THROW(loadedImage_t(c.w, c.h, std::vector<uint8_t>(c.bytes)), std::logic_error) << c.w;
        imagePtr image = imageOfCoordinates(3, 2);
        EXPECT_THROW(image->replacePixels(c.w, c.h, std::vector<uint8_t>(c.bytes)), std::logic_error) << c.w;
        EXPECT_EQ(std::make_pair(image->width(), image->pixels().size()), std::make_pair(3u, size_t(24))) << c.w;
    }
}

TEST_F(Geometry, MoveToKeepsPositionsOnScreen)
{
    const struct {
        int x, y, expectedX, expectedY;
    } cases[] = {{-20, 35, 0, 35}, {5, -1, 5, 0}, {INT_MIN, 7, 0, 7}, {600, 470, 600, 470}};
    for (const auto &c : cases) {
        imagePtr image = imageOfCoordinates(2, 2);
        const std::string trace = traceOf(9, [&] { image->moveTo(c.x, c.y); });
        EXPECT_EQ(image->x(), c.expectedX);
        EXPECT_EQ(image->y(), c.expectedY);
        EXPECT_EQ(trace, "");
    }
}

TEST_F(Geometry, ClipKeepsTheTopLeftCorner)
{
    const struct {
        unsigned w, h, clipW, clipH, expectedW, expectedH;
    } cases[] = {
        {100, 50, 10, 1000, 10, 50},
        {100, 50, 1000, 7, 100, 7},
        {100, 50, 33, 17, 33, 17},
        {100, 50, 0, 50, 0, 50},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(testing::Message() << c.clipW << "x" << c.clipH);
        imagePtr image = imageOfCoordinates(c.w, c.h);
        const std::string trace = traceOf(2, [&] { image->clipTo(c.clipW, c.clipH); });
        EXPECT_EQ(trace, clipLines(c.clipW, c.clipH, c.expectedW, c.expectedH));
        EXPECT_EQ(ident_level, 1u);
        ASSERT_EQ(image->width(), c.expectedW);
        ASSERT_EQ(image->height(), c.expectedH);
        // Rows of the new buffer are packed at the new width.
        expectSampled(image.get(), [](unsigned i) { return i; }, [](unsigned j) { return j; });
    }
}

TEST_F(Geometry, ClipNeverEnlarges)
{
    imagePtr image = imageOfCoordinates(100, 50);
    const uint8_t *before = image->pixels().data();
    const std::string trace = traceOf(2, [&] { image->clipTo(200, 80); });
    EXPECT_EQ(trace, "... ... clipping to 200 80\n");
    EXPECT_EQ(ident_level, 1u);
    EXPECT_EQ(image->width(), 100u);
    EXPECT_EQ(image->height(), 50u);
    EXPECT_EQ(image->pixels().data(), before);
}

TEST_F(Geometry, ResizeSamplesTheTopLeftSourcePixel)
{
    const struct {
        const char *name;
        unsigned w, h, boxW, boxH, expectedW, expectedH;
        unsigned numerator, denominator; // source = new * numerator / denominator
    } cases[] = {
        {"half", 300, 200, 150, 150, 150, 100, 2, 1},
        {"four times", 100, 50, 400, 400, 400, 200, 1, 4},
        // One third is not exact in binary; in double the products still
        // come out whole.
        {"one third", 1920, 1440, 640, 480, 640, 480, 3, 1},
        {"height decides", 10, 40, 100, 20, 5, 20, 2, 1},
        // 1.5 rows: the zoomed size is truncated, not rounded.
        {"short side truncated", 4, 3, 2, 2, 2, 1, 2, 1},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        imagePtr image = imageOfCoordinates(c.w, c.h);
        const std::string trace = traceOf(2, [&] { image->resizeTo(c.boxW, c.boxH); });
        EXPECT_EQ(trace, "... ... zooming to bounding box " + std::to_string(c.boxW) + " " +
                             std::to_string(c.boxH) + "\n... ... ... new size " +
                             std::to_string(c.expectedW) + "x" + std::to_string(c.expectedH) + "\n");
        EXPECT_EQ(ident_level, 1u);
        ASSERT_EQ(image->width(), c.expectedW);
        ASSERT_EQ(image->height(), c.expectedH);
        const auto map = [&](unsigned i) { return i * c.numerator / c.denominator; };
        expectSampled(image.get(), map, map);
    }
}

TEST_F(Geometry, ResizeToTheSameSizeChangesNothing)
{
    imagePtr image = imageOfCoordinates(640, 480);
    const uint8_t *before = image->pixels().data();
    const std::string trace = traceOf(2, [&] { image->resizeTo(640, 480); });
    EXPECT_EQ(trace, "... ... zooming to bounding box 640 480\n");
    EXPECT_EQ(ident_level, 1u);
    EXPECT_EQ(image->pixels().data(), before);
}

TEST_F(Geometry, ResizeOfAnEmptyImageStaysEmpty)
{
    imagePtr image = imageOfCoordinates(10, 0);
    traceOf(0, [&] { image->resizeTo(5, 5); });
    EXPECT_EQ(image->width(), 5u);
    EXPECT_EQ(image->height(), 0u);
}

TEST_F(Geometry, ResizeToAnAbsurdBoxRunsOutOfMemory)
{
    imagePtr image = imageOfCoordinates(3, 2);
    const uint8_t *before = image->pixels().data();
    traceOf(2, [&] { EXPECT_THROW(image->resizeTo(UINT_MAX, UINT_MAX), std::bad_alloc); });
    EXPECT_EQ(ident_level, 1u);
    EXPECT_EQ(image->width(), 3u);
    EXPECT_EQ(image->height(), 2u);
    EXPECT_EQ(image->pixels().data(), before);
}

TEST_F(Geometry, ClipToWorldCropsWhatLeavesTheScreen)
{
    const struct {
        const char *name;
        int x, y;
        unsigned expectedW, expectedH;
    } cases[] = {
        {"right edge", 600, 0, 40, 50},
        {"bottom edge", 0, 460, 100, 20},
        {"corner", 600, 460, 40, 20},
        {"at the right edge", 640, 10, 0, 50},
        {"beyond the right edge", 700, 10, 0, 50},
        {"at the bottom edge", 10, 480, 100, 0},
        {"far beyond both", INT_MAX, INT_MAX, 0, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        imagePtr image = imageOfCoordinates(100, 50);
        image->moveTo(c.x, c.y);
        const std::string trace = traceOf(2, [&] { image->clipToWorld(640, 480); });
        EXPECT_EQ(trace, clipLines(c.expectedW, c.expectedH, c.expectedW, c.expectedH));
        EXPECT_EQ(ident_level, 1u);
        ASSERT_EQ(image->width(), c.expectedW);
        ASSERT_EQ(image->height(), c.expectedH);
        expectSampled(image.get(), [](unsigned i) { return i; }, [](unsigned j) { return j; });
    }
}

TEST_F(Geometry, ClipToWorldLeavesImagesOnScreenAlone)
{
    imagePtr image = imageOfCoordinates(100, 50);
    image->moveTo(540, 430);
    const uint8_t *before = image->pixels().data();
    const std::string trace = traceOf(9, [&] { image->clipToWorld(640, 480); });
    EXPECT_EQ(trace, "");
    EXPECT_EQ(image->width(), 100u);
    EXPECT_EQ(image->pixels().data(), before);
}

} // namespace
