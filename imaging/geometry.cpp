#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <new>
#include <vector>

#include "decoders/decodedBitmap.h"
#include "diagnostics/traceStep.h"
#include "imaging/loadedImage.h"

// The zoom's products must be rounded to double: with extended precision
// 1920 zoomed to 640 would come out as 639.
static_assert(FLT_EVAL_METHOD == 0, "floating-point expressions must be evaluated in their own type");

namespace {

/// For each of `count` new positions, the old position under its top-left
/// corner, never past the last old one.
std::vector<uint32_t> sourceMap(uint32_t count, double inverse, uint32_t oldCount)
{
    std::vector<uint32_t> map(count);
    for (uint32_t i = 0; i < count; ++i) {
        const double position = double(i) * inverse;
        map[i] = position < double(oldCount) ? uint32_t(position) : oldCount - 1;
    }
    return map;
}

} // namespace

size_t bufferBytes(uint32_t width, uint32_t height)
{
    const uint64_t pixels = uint64_t(width) * height;
    if (pixels > kMaxBitmapBytes / 4)
        throw std::bad_alloc();
    return size_t(pixels) * 4;
}

boxFit_t fitIntoBox(uint32_t width, uint32_t height, unsigned w, unsigned h)
{
    // An empty side sets no limit.
    const double scaleX = width > 0 ? double(w) / double(width) : DBL_MAX;
    const double scaleY = height > 0 ? double(h) / double(height) : DBL_MAX;
    const double s = std::min(scaleX, scaleY);
    // The products never exceed the box, so they fit 32 bits.
    return {s, uint32_t(double(width) * s), uint32_t(double(height) * s)};
}

void loadedImage_t::moveTo(int newX, int newY)
{
    x = newX < 0 ? 0 : newX;
    y = newY < 0 ? 0 : newY;
}

void loadedImage_t::clipTo(unsigned w, unsigned h)
{
    traceStep_t titled(1, "clipping to %d %d\n", w, h);

    const uint32_t newWidth = std::min<uint32_t>(width, w);
    const uint32_t newHeight = std::min<uint32_t>(height, h);
    if (newWidth == width && newHeight == height)
        return;

    // Rows only ever move towards the start, so the crop is done in place.
    const size_t newBytes = bufferBytes(newWidth, newHeight);
    const size_t oldRow = size_t(width) * 4;
    const size_t newRow = size_t(newWidth) * 4;
    for (uint32_t r = 1; r < newHeight; ++r)
        std::memmove(pixels.data() + r * newRow, pixels.data() + r * oldRow, newRow);
    pixels.resize(newBytes);
    pixels.shrink_to_fit();
    width = newWidth;
    height = newHeight;
    overhangRight = overhangBottom = 0;
    TRACE(1, "new size %dx%d\n", width, height);
}

void loadedImage_t::resizeTo(unsigned w, unsigned h)
{
    traceStep_t titled(1, "zooming to bounding box %d %d\n", w, h);

    // An image empty both ways stays as it is.
    if (width == 0 && height == 0)
        return;
    const boxFit_t fit = fitIntoBox(width, height, w, h);
    const double s = fit.scale;
    const uint32_t newWidth = fit.width;
    const uint32_t newHeight = fit.height;
    if (newWidth == width && newHeight == height)
        return;

    // The buffer is the largest allocation, so it goes first: an absurd
    // size fails before any map is built.
    std::vector<uint8_t> zoomed(bufferBytes(newWidth, newHeight));
    if (newWidth > 0 && newHeight > 0) {
        const double inverse = 1.0 / s;
        const std::vector<uint32_t> columns = sourceMap(newWidth, inverse, width);
        const std::vector<uint32_t> rows = sourceMap(newHeight, inverse, height);
        uint8_t *out = zoomed.data();
        const size_t oldRow = size_t(width) * 4;
        for (uint32_t j = 0; j < newHeight; ++j) {
            const uint8_t *in = pixels.data() + rows[j] * oldRow;
            for (uint32_t i = 0; i < newWidth; ++i, out += 4)
                std::memcpy(out, in + size_t(columns[i]) * 4, 4);
        }
    }

    pixels.swap(zoomed);
    width = newWidth;
    height = newHeight;
    overhangRight = overhangBottom = 0;
    TRACE(1, "new size %dx%d\n", width, height);
}

void loadedImage_t::clipToWorld(unsigned W, unsigned H)
{
    // Positions are never negative here; in 64 bits the sums cannot wrap.
    const uint64_t left = uint32_t(x);
    const uint64_t top = uint32_t(y);
    uint32_t newWidth = width;
    uint32_t newHeight = height;
    if (left + width > W)
        newWidth = left >= W ? 0 : uint32_t(W - left);
    if (top + height > H)
        newHeight = top >= H ? 0 : uint32_t(H - top);
    if (newWidth != width || newHeight != height)
        clipTo(newWidth, newHeight);
}
