#include <algorithm>
#include <cfloat>
#include <cstdint>
#include <cstring>
#include <new>
#include <stdexcept>
#include <utility>
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

loadedImage_t::loadedImage_t(uint32_t width, uint32_t height, std::vector<uint8_t> &&pixels, bool hasAlpha,
                             double overhangRight, double overhangBottom)
    : hasAlpha_(hasAlpha)
{
    replacePixels(width, height, std::move(pixels));
    // After the size, which drops any overhang: this one comes with these
    // very pixels.
    overhangRight_ = overhangRight;
    overhangBottom_ = overhangBottom;
}

void loadedImage_t::replacePixels(uint32_t width, uint32_t height, std::vector<uint8_t> &&pixels)
{
    // A buffer that does not match its size would let every reader of the
    // image run past its end.
    if (pixels.size() != uint64_t(width) * height * 4)
        throw std::logic_error("an image's pixels do not match its size");
    pixels_ = std::move(pixels);
    width_ = width;
    height_ = height;
    overhangRight_ = overhangBottom_ = 0;
}

void loadedImage_t::moveTo(int newX, int newY) { placeAt(newX < 0 ? 0 : newX, newY < 0 ? 0 : newY); }

void loadedImage_t::clipTo(unsigned w, unsigned h)
{
    traceStep_t titled(1, "clipping to %d %d\n", w, h);

    const uint32_t newWidth = std::min<uint32_t>(width_, w);
    const uint32_t newHeight = std::min<uint32_t>(height_, h);
    if (newWidth == width_ && newHeight == height_)
        return;

    // Rows only ever move towards the start, so the crop is done in place.
    const size_t newBytes = bufferBytes(newWidth, newHeight);
    const size_t oldRow = size_t(width_) * 4;
    const size_t newRow = size_t(newWidth) * 4;
    for (uint32_t r = 1; r < newHeight; ++r)
        std::memmove(pixels_.data() + r * newRow, pixels_.data() + r * oldRow, newRow);
    pixels_.resize(newBytes);
    pixels_.shrink_to_fit();
    width_ = newWidth;
    height_ = newHeight;
    overhangRight_ = overhangBottom_ = 0;
    TRACE(1, "new size %dx%d\n", width_, height_);
}

void loadedImage_t::resizeTo(unsigned w, unsigned h)
{
    traceStep_t titled(1, "zooming to bounding box %d %d\n", w, h);

    // An image empty both ways stays as it is.
    if (width_ == 0 && height_ == 0)
        return;
    const boxFit_t fit = fitIntoBox(width_, height_, w, h);
    const double s = fit.scale;
    const uint32_t newWidth = fit.width;
    const uint32_t newHeight = fit.height;
    if (newWidth == width_ && newHeight == height_)
        return;

    // The buffer is the largest allocation, so it goes first: an absurd
    // size fails before any map is built.
    std::vector<uint8_t> zoomed(bufferBytes(newWidth, newHeight));
    if (newWidth > 0 && newHeight > 0) {
        const double inverse = 1.0 / s;
        const std::vector<uint32_t> columns = sourceMap(newWidth, inverse, width_);
        const std::vector<uint32_t> rows = sourceMap(newHeight, inverse, height_);
        uint8_t *out = zoomed.data();
        const size_t oldRow = size_t(width_) * 4;
        for (uint32_t j = 0; j < newHeight; ++j) {
            const uint8_t *in = pixels_.data() + rows[j] * oldRow;
            for (uint32_t i = 0; i < newWidth; ++i, out += 4)
                std::memcpy(out, in + size_t(columns[i]) * 4, 4);
        }
    }

    replacePixels(newWidth, newHeight, std::move(zoomed));
    TRACE(1, "new size %dx%d\n", width_, height_);
}

void loadedImage_t::clipToWorld(unsigned W, unsigned H)
{
    // Positions are never negative here; in 64 bits the sums cannot wrap.
    const uint64_t left = uint32_t(x_);
    const uint64_t top = uint32_t(y_);
    uint32_t newWidth = width_;
    uint32_t newHeight = height_;
    if (left + width_ > W)
        newWidth = left >= W ? 0 : uint32_t(W - left);
    if (top + height_ > H)
        newHeight = top >= H ? 0 : uint32_t(H - top);
    if (newWidth != width_ || newHeight != height_)
        clipTo(newWidth, newHeight);
}
