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
#include <cstring>
#include <new>
#include <optional>
#include <utility>
#include <vector>

#include "base/bootScreen.h"
#include "base/mappedAtOnce.h"
#include "base/onTwoThreads.h"
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
void rowToLight(const uint8_t *pixel, uint32_t width, bool hasAlpha, float *__restrict light)
{
    const float *__restrict const lightOf = linearOfLevels();
    if (!hasAlpha) {
        // Opaque: the same values, without multiplying each by one.
        for (uint32_t i = 0; i < width; ++i, pixel += 4, light += 4) {
            light[0] = lightOf[pixel[2]];
            light[1] = lightOf[pixel[1]];
            light[2] = lightOf[pixel[0]];
            light[3] = 1.0f;
        }
        return;
    }
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

/// The picture a zoom reads: its size, whether its fourth byte is opacity,
/// its overhang, and where its rows come from.
struct oldPicture_t {
    uint32_t width;
    uint32_t height;
    bool hasAlpha;
    double overhangRight;
    double overhangBottom;
    /// Every row, packed; null when `rows` hands them over one by one.
    const uint8_t *pixels;
    const oldRows_t *rows;
    /// When given, with every row at hand: the thread that zooms half of
    /// the new rows.
    secondThread_t *thread;
};

oldPicture_t pictureIn(const loadedImage_t &image, secondThread_t *thread = nullptr)
{
    return {image.width(), image.height(), image.hasAlpha(), image.overhangRight(), image.overhangBottom(),
            image.pixels().data(), nullptr, thread};
}

oldPicture_t pictureFrom(const decodedBitmap_t &picture, const oldRows_t &rows)
{
    return {picture.width, picture.height, picture.alpha, picture.overhangRight, picture.overhangBottom,
            nullptr, &rows, nullptr};
}

/// The old rows filtered across, each made when a new row first needs it
/// and kept while later ones may: the windows down only ever move on, so
/// a ring of as many rows as a window has holds all that are needed. Rows
/// above the first window and columns outside every window (what a cut
/// drops) are never made into light nor filtered.
class filteredRows_t {
public:
    /// For the new rows from `firstNew` on.
    filteredRows_t(const oldPicture_t &picture, const windows_t &across, const windows_t &down, uint32_t firstNew)
        : picture_(picture), across_(across), width_(uint32_t(across.first.size())), ringRows_(down.stride),
          ring_(size_t(width_) * 4 * ringRows_), old_(size_t(picture.width) * 4),
          firstColumn_(across.first.empty() ? 0 : across.first.front()), next_(down.first[firstNew])
    {
        for (uint32_t i = 0; i < width_; ++i)
            endColumn_ = std::max(endColumn_, across.first[i] + across.count[i]);
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
        const uint8_t *pixels =
            picture_.rows ? (*picture_.rows)(row) : picture_.pixels + size_t(row) * picture_.width * 4;
        rowToLight(pixels + size_t(firstColumn_) * 4, endColumn_ - firstColumn_, picture_.hasAlpha,
                   old_.data() + size_t(firstColumn_) * 4);
        float *out = &ring_[size_t(row % ringRows_) * width_ * 4];
        // Two new pixels at a time where their windows are as long: each
        // sum still adds its terms in the same order, but neither chain of
        // additions waits on the other.
        for (uint32_t i = 0; i < width_;) {
            const float *weight = &across_.weights[size_t(i) * across_.stride];
            const float *in = &old_[size_t(across_.first[i]) * 4];
            const uint32_t count = across_.count[i];
            floatLanes_t sum = splatLanes(0);
            if (i + 1 < width_ && across_.count[i + 1] == count) {
                const float *weight2 = weight + across_.stride;
                const float *in2 = &old_[size_t(across_.first[i + 1]) * 4];
                floatLanes_t sum2 = splatLanes(0);
                for (uint32_t k = 0; k < count; ++k) {
                    sum += splatLanes(weight[k]) * loadLanes(in + 4 * k);
                    sum2 += splatLanes(weight2[k]) * loadLanes(in2 + 4 * k);
                }
                storeLanes(out + size_t(i) * 4, sum);
                storeLanes(out + size_t(i) * 4 + 4, sum2);
                i += 2;
                continue;
            }
            for (uint32_t k = 0; k < count; ++k)
                sum += splatLanes(weight[k]) * loadLanes(in + 4 * k);
            storeLanes(out + size_t(i) * 4, sum);
            ++i;
        }
    }

    const oldPicture_t &picture_;
    const windows_t &across_;
    const uint32_t width_;
    const uint32_t ringRows_;
    std::vector<float> ring_;
    std::vector<float> old_;
    /// The columns that some window across reads: [firstColumn_, endColumn_).
    const uint32_t firstColumn_;
    uint32_t endColumn_ = 0;
    uint32_t next_;
};

/// `region` of the picture's rows filtered to a new newWidth x newHeight
/// image, with the picture's alpha, at (0, 0).
loadedImage_t resample(const oldPicture_t &picture, const region_t &region, uint32_t newWidth, uint32_t newHeight)
{
    if (newWidth > kLongestSide || newHeight > kLongestSide)
        throw std::bad_alloc();
    std::vector<uint8_t> zoomed(bufferBytes(newWidth, newHeight));
    if (!zoomed.empty() && picture.width > 0 && picture.height > 0) {
        const windows_t across = windowsAlong(newWidth, picture.width, region.left, region.width / newWidth);
        const windows_t down = windowsAlong(newHeight, picture.height, region.top, region.height / newHeight);
        // New rows [from, to), from old rows filtered across on their own:
        // each new row is made the same way whichever thread makes it.
        const auto zoomRows = [&](uint32_t from, uint32_t to) {
            filteredRows_t filtered(picture, across, down, from);
            std::vector<float> sum(size_t(newWidth) * 4);
            for (uint32_t j = from; j < to; ++j) {
                std::fill(sum.begin(), sum.end(), 0.0f);
                const float *weight = &down.weights[size_t(j) * down.stride];
                for (uint32_t k = 0; k < down.count[j]; ++k)
                    addWeighted(sum.data(), filtered.row(down.first[j] + k), weight[k], newWidth);
                rowToPixels(sum.data(), newWidth, picture.hasAlpha, zoomed.data() + size_t(j) * newWidth * 4);
            }
        };
        // A picture held whole shares its new rows out between two threads;
        // the old rows under both halves' windows are filtered twice.
        if (picture.thread != nullptr && picture.pixels != nullptr && newHeight >= 2) {
            const uint32_t half = newHeight / 2;
            onTwoThreads(*picture.thread, [&](unsigned share) {
                share == 0 ? zoomRows(0, half) : zoomRows(half, newHeight);
            });
        } else {
            zoomRows(0, newHeight);
        }
    }
    TRACE(1, "new size %ux%u\n", newWidth, newHeight);
    return loadedImage_t(newWidth, newHeight, std::move(zoomed), picture.hasAlpha);
}

/// The picture's own extent, which a decode at a reduced scale may end
/// inside the last column and row.
region_t whole(const oldPicture_t &picture)
{
    return {0, 0, picture.width - picture.overhangRight, picture.height - picture.overhangBottom};
}

bool endsOnWholePixels(const oldPicture_t &picture)
{
    return picture.overhangRight == 0 && picture.overhangBottom == 0;
}

/// fitIntoBox for the picture's extent.
boxFit_t fitExtentIntoBox(const oldPicture_t &picture, unsigned w, unsigned h)
{
    if (endsOnWholePixels(picture))
        return fitIntoBox(picture.width, picture.height, w, h);
    const region_t extent = whole(picture);
    const double s = std::min(w / extent.width, h / extent.height);
    // The side that sets the scale must meet the box, not fall a rounding
    // error short of it.
    const double slack = 1e-9;
    return {s, std::min<uint32_t>(w, uint32_t(extent.width * s + slack)),
            std::min<uint32_t>(h, uint32_t(extent.height * s + slack))};
}

/// What a zoom makes of a picture: how far it moves it, and the image it
/// becomes, unless the zoom leaves its pixels as they are.
struct zoomed_t {
    int64_t right = 0;
    int64_t down = 0;
    std::optional<loadedImage_t> image;
};

zoomed_t resizeSmoothly(const oldPicture_t &picture, unsigned w, unsigned h)
{
    traceStep_t titled(1, "zooming smoothly to bounding box %u %u\n", w, h);
    zoomed_t zoomed;
    if (picture.width == 0 && picture.height == 0)
        return zoomed;
    const boxFit_t fit = fitExtentIntoBox(picture, w, h);
    if (fit.width == picture.width && fit.height == picture.height && endsOnWholePixels(picture))
        return zoomed;
    zoomed.image = resample(picture, whole(picture), fit.width, fit.height);
    return zoomed;
}

zoomed_t cover(const oldPicture_t &picture, unsigned w, unsigned h, focusPoint_t focus)
{
    traceStep_t titled(1, "covering %u %u\n", w, h);
    zoomed_t zoomed;
    if (picture.width == 0 || picture.height == 0)
        return zoomed;
    // The side that needs the larger zoom fills the box whole; the other is
    // cut around the focus, evenly at both ends by default.
    const region_t extent = whole(picture);
    const double scale = std::max(w / extent.width, h / extent.height);
    region_t region = extent;
    if (scale > 0) {
        region.width = std::min(extent.width, w / scale);
        region.height = std::min(extent.height, h / scale);
        region.left = std::clamp(focus.x * extent.width - region.width / 2, 0.0, extent.width - region.width);
        region.top = std::clamp(focus.y * extent.height - region.height / 2, 0.0, extent.height - region.height);
    }
    zoomed.image = resample(picture, region, w, h);
    return zoomed;
}

zoomed_t fitWithin(const oldPicture_t &picture, unsigned w, unsigned h)
{
    traceStep_t titled(1, "fitting within %u %u\n", w, h);
    zoomed_t zoomed;
    if (picture.width == 0 && picture.height == 0)
        return zoomed;
    const boxFit_t fit = fitExtentIntoBox(picture, w, h);
    zoomed.right = int64_t(w - fit.width) / 2;
    zoomed.down = int64_t(h - fit.height) / 2;
    if (fit.width == picture.width && fit.height == picture.height && endsOnWholePixels(picture))
        return zoomed;
    zoomed.image = resample(picture, whole(picture), fit.width, fit.height);
    return zoomed;
}

zoomed_t zoomPicture(const oldPicture_t &picture, const filteredZoom_t &zoom)
{
    switch (zoom.kind) {
    case filteredZoom_t::boundingBox:
        return resizeSmoothly(picture, zoom.width, zoom.height);
    case filteredZoom_t::covering:
        return cover(picture, zoom.width, zoom.height, zoom.focus);
    case filteredZoom_t::within:
        return fitWithin(picture, zoom.width, zoom.height);
    case filteredZoom_t::none:
        break;
    }
    return zoomed_t();
}

/// A place moved by (right, down), held within 32 bits.
int32_t movedBy(int32_t at, int64_t by) { return int32_t(std::min<int64_t>(INT32_MAX, at + by)); }

/// The image becomes what the zoom made of it.
void takeZoomed(loadedImage_t *image, zoomed_t zoomed)
{
    const int32_t x = movedBy(image->x(), zoomed.right);
    const int32_t y = movedBy(image->y(), zoomed.down);
    if (zoomed.image)
        *image = std::move(*zoomed.image);
    image->placeAt(x, y);
}

/// The picture's rows as they are, each asked for in turn.
loadedImage_t wholeRows(const decodedBitmap_t &picture, const oldRows_t &rows)
{
    std::vector<uint8_t> pixels;
    resizeMappedAtOnce(pixels, bufferBytes(picture.width, picture.height));
    const size_t rowBytes = size_t(picture.width) * 4;
    for (uint32_t row = 0; row < picture.height; ++row)
        std::memcpy(pixels.data() + row * rowBytes, rows(row), rowBytes);
    return loadedImage_t(picture.width, picture.height, std::move(pixels), picture.alpha, picture.overhangRight,
                         picture.overhangBottom);
}

} // namespace

void resizeSmoothlyTo(loadedImage_t *image, unsigned w, unsigned h)
{
    takeZoomed(image, resizeSmoothly(pictureIn(*image), w, h));
}

void coverBox(loadedImage_t *image, unsigned w, unsigned h, focusPoint_t focus)
{
    takeZoomed(image, cover(pictureIn(*image), w, h, focus));
}

void fitInBox(loadedImage_t *image, unsigned w, unsigned h) { takeZoomed(image, fitWithin(pictureIn(*image), w, h)); }

void zoomAsPlanned(loadedImage_t *image, const filteredZoom_t &zoom, secondThread_t *thread)
{
    takeZoomed(image, zoomPicture(pictureIn(*image, thread), zoom));
}

loadedImage_t zoomRowsAsPlanned(const decodedBitmap_t &picture, const filteredZoom_t &zoom, const oldRows_t &rows)
{
    zoomed_t zoomed = zoomPicture(pictureFrom(picture, rows), zoom);
    loadedImage_t image = zoomed.image ? std::move(*zoomed.image) : wholeRows(picture, rows);
    image.placeAt(movedBy(0, zoomed.right), movedBy(0, zoomed.down));
    return image;
}
