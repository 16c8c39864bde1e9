// The filtering is pixman's separable convolution. pixman applies such a
// filter as one two-dimensional window per new pixel, which zooming down by
// k reads some (6k)^2 old pixels for; two passes, one along each axis with
// a window of one pixel along the other, read 6k each and give the same
// weights. Both work on light as floats (linearLight.h), which pixman
// filters in floating point too.
#include "imaging/smoothResize.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <pixman.h>
#include <vector>

#include "diagnostics/traceStep.h"
#include "imaging/linearLight.h"

namespace {

/// pixman's coordinates are 16.16 fixed point: no side may be longer.
constexpr uint32_t kLongestSide = 32767;

/// A rectangle of the old image, in old pixels, that the new image shows.
struct region_t {
    double left;
    double top;
    double width;
    double height;
};

struct pixmanUnref_t {
    void operator()(pixman_image_t *image) const { pixman_image_unref(image); }
};
using pixmanImage_t = std::unique_ptr<pixman_image_t, pixmanUnref_t>;

/// pixman's view of packed pixels, which stay the caller's.
pixmanImage_t viewOf(pixman_format_code_t format, void *pixels, uint32_t width, uint32_t height)
{
    const int rowBytes = int(width * (PIXMAN_FORMAT_BPP(format) / 8));
    pixmanImage_t image(
        pixman_image_create_bits(format, int(width), int(height), static_cast<uint32_t *>(pixels), rowBytes));
    if (!image)
        throw std::bad_alloc();
    return image;
}

/// Light as the filters take it: red, green, blue and opacity as floats,
/// the colours weighted by their opacity (premultiplied), so that the
/// hidden colour of a transparent pixel does not bleed into its
/// neighbours.
using lightPixels_t = std::vector<float>;

/// Filters `in` along `axis` (0 across, 1 down) into `out`, which has the
/// same size along the other axis: new pixel i covers old pixels
/// [offset + i * scale, offset + (i + 1) * scale).
void filterAlong(int axis, double scale, double offset, float *in, uint32_t inWidth, uint32_t inHeight, float *out,
                 uint32_t outWidth, uint32_t outHeight)
{
    pixmanImage_t source = viewOf(PIXMAN_rgba_float, in, inWidth, inHeight);
    pixmanImage_t target = viewOf(PIXMAN_rgba_float, out, outWidth, outHeight);
    pixman_transform_t transform;
    pixman_transform_init_identity(&transform);
    transform.matrix[axis][axis] = pixman_double_to_fixed(scale);
    transform.matrix[axis][2] = pixman_double_to_fixed(offset);
    pixman_image_set_transform(source.get(), &transform);
    // The edge pixels stand for what lies beyond them; otherwise the window
    // would take in transparent black and darken the border.
    pixman_image_set_repeat(source.get(), PIXMAN_REPEAT_PAD);

    // Zooming down, the Lanczos-3 window is stretched over the old pixels
    // under each new one; zooming up, it interpolates between old pixels.
    // Along the other axis, a one-pixel box takes each pixel as it is.
    const bool down = scale >= 1;
    pixman_kernel_t reconstruct[2] = {PIXMAN_KERNEL_IMPULSE, PIXMAN_KERNEL_IMPULSE};
    pixman_kernel_t sample[2] = {PIXMAN_KERNEL_BOX, PIXMAN_KERNEL_BOX};
    reconstruct[axis] = down ? PIXMAN_KERNEL_IMPULSE : PIXMAN_KERNEL_LANCZOS3;
    sample[axis] = down ? PIXMAN_KERNEL_LANCZOS3 : PIXMAN_KERNEL_IMPULSE;
    const pixman_fixed_t scales[2] = {pixman_double_to_fixed(axis == 0 ? scale : 1.0),
                                      pixman_double_to_fixed(axis == 1 ? scale : 1.0)};
    // 64 phases between two old pixels: a new pixel's window is off by at
    // most 1/128 of a pixel.
    int count = 0;
    pixman_fixed_t *parameters = pixman_filter_create_separable_convolution(
        &count, scales[0], scales[1], reconstruct[0], reconstruct[1], sample[0], sample[1], 6, 6);
    if (parameters == nullptr)
        throw std::bad_alloc();
    const bool set = pixman_image_set_filter(source.get(), PIXMAN_FILTER_SEPARABLE_CONVOLUTION, parameters, count);
    free(parameters);
    if (!set)
        throw std::bad_alloc();
    pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), 0, 0, 0, 0, 0, 0, int(outWidth),
                             int(outHeight));
}

/// Rows [first, end) of the image as light, into `light`.
void toLight(const loadedImage_t &image, uint32_t first, uint32_t end, float *light)
{
    const uint8_t *pixel = image.pixels.data() + size_t(first) * image.width * 4;
    const uint8_t *const stop = image.pixels.data() + size_t(end) * image.width * 4;
    for (; pixel < stop; pixel += 4, light += 4) {
        const float opacity = image.hasAlpha ? pixel[3] / 255.0f : 1.0f;
        // pixman's float pixels are red, green, blue, opacity.
        for (int c = 0; c < 3; ++c)
            light[c] = linearOfLevel(pixel[2 - c]) * opacity;
        light[3] = opacity;
    }
}

/// Light back into pixels. The colours are divided by the opacity as
/// filtered, also for an opaque image, whose opacity then holds the sum of
/// the window's weights: pixman's fixed-point weights are off from a sum
/// of 1 by up to half a percent.
void toPixels(const lightPixels_t &light, bool hasAlpha, std::vector<uint8_t> *pixels)
{
    for (size_t i = 0; i < light.size(); i += 4) {
        uint8_t *pixel = pixels->data() + i;
        const float opacity = light[i + 3];
        for (int c = 0; c < 3; ++c)
            pixel[2 - c] = opacity > 0 ? levelOfLinear(light[i + c] / opacity) : 0;
        // Without alpha the fourth byte is the decoders' 255, the same on
        // every machine.
        pixel[3] = hasAlpha ? uint8_t(std::lround(std::clamp(opacity, 0.0f, 1.0f) * 255)) : 255;
    }
}

/// Old rows are turned into light and filtered across this many at a time,
/// so that the old image is never held as light whole.
constexpr uint32_t kBandRows = 64;

/// Replaces the image's pixels by `region` filtered to newWidth x newHeight.
void resample(loadedImage_t *image, const region_t &region, uint32_t newWidth, uint32_t newHeight)
{
    if (newWidth > kLongestSide || newHeight > kLongestSide)
        throw std::bad_alloc();
    std::vector<uint8_t> zoomed(bufferBytes(newWidth, newHeight));
    if (!zoomed.empty() && image->width > 0 && image->height > 0) {
        // Only the old rows that the second pass reaches go through the
        // first: a cropped image leaves the others out.
        const double rowScale = region.height / newHeight;
        const double reach = 3 * std::max(rowScale, 1.0) + 1;
        const uint32_t first = uint32_t(std::clamp(std::floor(region.top - reach), 0.0, double(image->height - 1)));
        const uint32_t end = uint32_t(
            std::clamp(std::ceil(region.top + region.height + reach), double(first + 1), double(image->height)));
        lightPixels_t rows(size_t(newWidth) * (end - first) * 4);
        lightPixels_t band(size_t(image->width) * std::min(kBandRows, end - first) * 4);
        for (uint32_t top = first; top < end; top += kBandRows) {
            const uint32_t count = std::min(kBandRows, end - top);
            toLight(*image, top, top + count, band.data());
            filterAlong(0, region.width / newWidth, region.left, band.data(), image->width, count,
                        rows.data() + size_t(newWidth) * (top - first) * 4, newWidth, count);
        }
        lightPixels_t light(size_t(newWidth) * newHeight * 4);
        filterAlong(1, rowScale, region.top - first, rows.data(), newWidth, end - first, light.data(), newWidth,
                    newHeight);
        toPixels(light, image->hasAlpha, &zoomed);
    }
    image->pixels.swap(zoomed);
    image->width = newWidth;
    image->height = newHeight;
    image->overhangRight = image->overhangBottom = 0;
    TRACE(1, "new size %ux%u\n", newWidth, newHeight);
}

/// An image too large for pixman's coordinates is first brought within
/// them by point sampling; only panoramas of more than 32767 pixels are.
void keepWithinReach(loadedImage_t *image)
{
    if (image->width > kLongestSide || image->height > kLongestSide)
        image->resizeTo(kLongestSide, kLongestSide);
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

} // namespace

void resizeSmoothlyTo(loadedImage_t *image, unsigned w, unsigned h)
{
    traceStep_t titled(1, "zooming smoothly to bounding box %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return;
    const boxFit_t fit = fitExtentIntoBox(*image, w, h);
    if (fit.width == image->width && fit.height == image->height && endsOnWholePixels(*image))
        return;
    keepWithinReach(image);
    resample(image, whole(*image), fit.width, fit.height);
}

void coverBox(loadedImage_t *image, unsigned w, unsigned h, focusPoint_t focus)
{
    traceStep_t titled(1, "covering %u %u\n", w, h);
    if (image->width == 0 || image->height == 0)
        return;
    keepWithinReach(image);
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
    resample(image, region, w, h);
}

void fitInBox(loadedImage_t *image, unsigned w, unsigned h)
{
    traceStep_t titled(1, "fitting within %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return;
    const boxFit_t fit = fitExtentIntoBox(*image, w, h);
    image->x = int32_t(std::min<int64_t>(INT32_MAX, image->x + int64_t(w - fit.width) / 2));
    image->y = int32_t(std::min<int64_t>(INT32_MAX, image->y + int64_t(h - fit.height) / 2));
    if (fit.width == image->width && fit.height == image->height && endsOnWholePixels(*image))
        return;
    keepWithinReach(image);
    resample(image, whole(*image), fit.width, fit.height);
}
