// The filter is Lanczos-3, applied as two passes, one along each axis:
// zooming down by k, each new pixel then reads 6k old ones twice rather than
// some (6k)^2 once. Both passes work on light as floats (linearLight.h),
// the colours weighted by their opacity (premultiplied), so that the hidden
// colour of a transparent pixel does not bleed into its neighbours; nothing
// is rounded or clamped between them. (pixman's float filtering clamps each
// pass to 0 to 1 and turns some of the window's negative results into full
// light, so it cannot carry light through two passes.)
#include "imaging/smoothResize.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <vector>

#include "base/bootScreen.h"
#include "diagnostics/traceStep.h"
#include "imaging/floatLanes.h"
#include "imaging/linearLight.h"

namespace {

/// A rectangle of the old image, in old pixels, that the new image shows.
struct region_t {
    double left;
    double top;
    double width;
    double height;
};

double lanczos3(double x)
{
    if (x == 0)
        return 1;
    if (std::abs(x) >= 3)
        return 0;
    const double px = M_PI * x;
    return 3 * std::sin(px) * std::sin(px / 3) / (px * px);
}

/// Along one axis, for each new pixel, the old pixels it is made of and
/// their weights, which add up to 1.
struct windows_t {
    std::vector<uint32_t> first; ///< the first old pixel of each window
    std::vector<uint32_t> count; ///< how many old pixels from there on
    std::vector<float> weights;  ///< `stride` per new pixel
    uint32_t stride = 0;
};

/// New pixel i covers old pixels [offset + i * scale, offset + (i + 1) *
/// scale). Zooming down, the window is stretched over the old pixels under
/// the new one; zooming up, it interpolates between old pixels. A window
/// that reaches past the old image is cut at its edge and its weights made
/// to add up to 1 again, so that the border is not darkened.
windows_t windowsAlong(uint32_t newCount, uint32_t oldCount, double offset, double scale)
{
    const double stretch = std::max(scale, 1.0);
    const double support = 3 * stretch;
    windows_t windows;
    windows.stride = uint32_t(std::ceil(support)) * 2 + 1;
    windows.first.resize(newCount);
    windows.count.resize(newCount);
    windows.weights.assign(size_t(newCount) * windows.stride, 0.0f);
    for (uint32_t i = 0; i < newCount; ++i) {
        const double centre = offset + (i + 0.5) * scale;
        const double low = std::clamp(std::floor(centre - support), 0.0, double(oldCount - 1));
        const double high = std::clamp(std::ceil(centre + support), low + 1, double(oldCount));
        const uint32_t first = uint32_t(low);
        const uint32_t count = std::min(uint32_t(high) - first, windows.stride);
        float *weights = &windows.weights[size_t(i) * windows.stride];
        double total = 0;
        for (uint32_t k = 0; k < count; ++k)
            total += weights[k] = float(lanczos3((first + k + 0.5 - centre) / stretch));
        if (total != 0)
            for (uint32_t k = 0; k < count; ++k)
                weights[k] = float(weights[k] / total);
        windows.first[i] = first;
        windows.count[i] = count;
    }
    return windows;
}

/// A row of pixels as light: red, green, blue and opacity.
void rowToLight(const uint8_t *pixel, uint32_t width, bool hasAlpha, float *light)
{
    const float *const lightOf = linearOfLevels();
    for (uint32_t i = 0; i < width; ++i, pixel += 4, light += 4) {
        const float opacity = hasAlpha ? pixel[3] / 255.0f : 1.0f;
        for (int c = 0; c < 3; ++c)
            light[c] = lightOf[pixel[2 - c]] * opacity;
        light[3] = opacity;
    }
}

/// sum += weight * row, over `count` pixels of light, a pixel's four
/// values as the lanes of one vector.
void addWeighted(float *sum, const float *row, float weight, size_t count)
{
    const floatLanes_t lanesWeight = splatLanes(weight);
    for (size_t i = 0; i < count * 4; i += 4)
        storeLanes(sum + i, loadLanes(sum + i) + lanesWeight * loadLanes(row + i));
}

/// A row of light back into pixels.
void rowToPixels(const float *light, uint32_t width, bool hasAlpha, uint8_t *pixel)
{
    for (uint32_t i = 0; i < width; ++i, light += 4, pixel += 4) {
        const float opacity = std::min(light[3], 1.0f);
        for (int c = 0; c < 3; ++c)
            pixel[2 - c] = opacity > 0 ? levelOfLinear(light[c] / opacity) : 0;
        // Without alpha the fourth byte is the decoders' 255.
        pixel[3] = hasAlpha ? uint8_t(std::lround(std::max(opacity, 0.0f) * 255)) : 255;
    }
}

/// The old rows filtered across, each made when a new row first needs it
/// and kept while later ones may: the windows down only ever move on, so
/// a ring of as many rows as a window has holds all that are needed.
class filteredRows_t {
public:
    filteredRows_t(const loadedImage_t &image, const oldRows_t &rows, const windows_t &across,
                   uint32_t ringRows)
        : image_(image), rows_(rows), across_(across), width_(uint32_t(across.first.size())), ringRows_(ringRows),
          ring_(size_t(width_) * 4 * ringRows), old_(size_t(image.width) * 4)
    {
    }

    /// Old row `row` filtered across; rows are asked for in rising order of
    /// their windows' first rows.
    const float *row(uint32_t row)
    {
        while (next_ <= row)
            filter(next_++);
        return &ring_[size_t(row % ringRows_) * width_ * 4];
    }

private:
    void filter(uint32_t row)
    {
        const uint8_t *pixels = rows_ ? rows_(row) : image_.pixels.data() + size_t(row) * image_.width * 4;
        rowToLight(pixels, image_.width, image_.hasAlpha, old_.data());
        float *out = &ring_[size_t(row % ringRows_) * width_ * 4];
        for (uint32_t i = 0; i < width_; ++i, out += 4) {
            const float *weight = &across_.weights[size_t(i) * across_.stride];
            const float *in = &old_[size_t(across_.first[i]) * 4];
            floatLanes_t sum = splatLanes(0);
            for (uint32_t k = 0; k < across_.count[i]; ++k, in += 4)
                sum += splatLanes(weight[k]) * loadLanes(in);
            storeLanes(out, sum);
        }
    }

    const loadedImage_t &image_;
    const oldRows_t &rows_;
    const windows_t &across_;
    const uint32_t width_;
    const uint32_t ringRows_;
    std::vector<float> ring_;
    std::vector<float> old_;
    uint32_t next_ = 0;
};

/// Replaces the image's pixels by `region` of its rows filtered to newWidth x newHeight.
void resample(loadedImage_t *image, const oldRows_t &rows, const region_t &region, uint32_t newWidth,
              uint32_t newHeight)
{
    if (newWidth > kLongestSide || newHeight > kLongestSide)
        throw std::bad_alloc();
    std::vector<uint8_t> zoomed(bufferBytes(newWidth, newHeight));
    if (!zoomed.empty() && image->width > 0 && image->height > 0) {
        const windows_t across = windowsAlong(newWidth, image->width, region.left, region.width / newWidth);
        const windows_t down = windowsAlong(newHeight, image->height, region.top, region.height / newHeight);
        filteredRows_t filtered(*image, rows, across, down.stride);
        std::vector<float> sum(size_t(newWidth) * 4);
        for (uint32_t j = 0; j < newHeight; ++j) {
            std::fill(sum.begin(), sum.end(), 0.0f);
            const float *weight = &down.weights[size_t(j) * down.stride];
            for (uint32_t k = 0; k < down.count[j]; ++k)
                addWeighted(sum.data(), filtered.row(down.first[j] + k), weight[k], newWidth);
            rowToPixels(sum.data(), newWidth, image->hasAlpha, zoomed.data() + size_t(j) * newWidth * 4);
        }
    }
    image->pixels.swap(zoomed);
    image->width = newWidth;
    image->height = newHeight;
    image->overhangRight = image->overhangBottom = 0;
    TRACE(1, "new size %ux%u\n", newWidth, newHeight);
}

/// The picture's own extent, which a decode at a reduced scale may end
/// inside the last column and row.
region_t whole(const loadedImage_t &image)
{
    return {0, 0, image.width - image.overhangRight, image.height - image.overhangBottom};
}

bool endsOnWholePixels(const loadedImage_t &image) { return image.overhangRight == 0 && image.overhangBottom == 0; }

/// fitIntoBox for the picture's extent.
boxFit_t fitExtentIntoBox(const loadedImage_t &image, unsigned w, unsigned h)
{
    if (endsOnWholePixels(image))
        return fitIntoBox(image.width, image.height, w, h);
    const region_t extent = whole(image);
    const double s = std::min(w / extent.width, h / extent.height);
    // The side that sets the scale must meet the box, not fall a rounding
    // error short of it.
    const double slack = 1e-9;
    return {s, std::min<uint32_t>(w, uint32_t(extent.width * s + slack)),
            std::min<uint32_t>(h, uint32_t(extent.height * s + slack))};
}

bool resizeSmoothly(loadedImage_t *image, unsigned w, unsigned h, const oldRows_t &rows)
{
    traceStep_t titled(1, "zooming smoothly to bounding box %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return false;
    const boxFit_t fit = fitExtentIntoBox(*image, w, h);
    if (fit.width == image->width && fit.height == image->height && endsOnWholePixels(*image))
        return false;
    resample(image, rows, whole(*image), fit.width, fit.height);
    return true;
}

bool cover(loadedImage_t *image, unsigned w, unsigned h, focusPoint_t focus, const oldRows_t &rows)
{
    traceStep_t titled(1, "covering %u %u\n", w, h);
    if (image->width == 0 || image->height == 0)
        return false;
    // The side that needs the larger zoom fills the box whole; the other is
    // cut around the focus, evenly at both ends by default.
    const region_t extent = whole(*image);
    const double scale = std::max(w / extent.width, h / extent.height);
    region_t region = extent;
    if (scale > 0) {
        region.width = std::min(extent.width, w / scale);
        region.height = std::min(extent.height, h / scale);
        region.left = std::clamp(focus.x * extent.width - region.width / 2, 0.0, extent.width - region.width);
        region.top = std::clamp(focus.y * extent.height - region.height / 2, 0.0, extent.height - region.height);
    }
    resample(image, rows, region, w, h);
    return true;
}

bool fitWithin(loadedImage_t *image, unsigned w, unsigned h, const oldRows_t &rows)
{
    traceStep_t titled(1, "fitting within %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return false;
    const boxFit_t fit = fitExtentIntoBox(*image, w, h);
    image->x = int32_t(std::min<int64_t>(INT32_MAX, image->x + int64_t(w - fit.width) / 2));
    image->y = int32_t(std::min<int64_t>(INT32_MAX, image->y + int64_t(h - fit.height) / 2));
    if (fit.width == image->width && fit.height == image->height && endsOnWholePixels(*image))
        return false;
    resample(image, rows, whole(*image), fit.width, fit.height);
    return true;
}

} // namespace

void resizeSmoothlyTo(loadedImage_t *image, unsigned w, unsigned h) { resizeSmoothly(image, w, h, nullptr); }

void coverBox(loadedImage_t *image, unsigned w, unsigned h, focusPoint_t focus) { cover(image, w, h, focus, nullptr); }

void fitInBox(loadedImage_t *image, unsigned w, unsigned h) { fitWithin(image, w, h, nullptr); }

bool zoomAsPlanned(loadedImage_t *image, const filteredZoom_t &zoom, const oldRows_t &rows)
{
    switch (zoom.kind) {
    case filteredZoom_t::boundingBox:
        return resizeSmoothly(image, zoom.width, zoom.height, rows);
    case filteredZoom_t::covering:
        return cover(image, zoom.width, zoom.height, zoom.focus, rows);
    case filteredZoom_t::within:
        return fitWithin(image, zoom.width, zoom.height, rows);
    case filteredZoom_t::none:
        break;
    }
    return false;
}
