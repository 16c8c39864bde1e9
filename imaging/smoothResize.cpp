// The filtering is pixman's separable convolution. pixman applies such a
// filter as one two-dimensional window per new pixel, which zooming down by
// k reads some (6k)^2 old pixels for; two passes, one along each axis with
// a window of one pixel along the other, read 6k each and give the same
// weights up to the rounding of the middle image to 8 bits.
#include "imaging/smoothResize.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <new>
#include <pixman.h>
#include <vector>

#include "base/bootScreen.h"
#include "diagnostics/traceStep.h"

namespace {

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
pixmanImage_t viewOf(pixman_format_code_t format, uint8_t *pixels, uint32_t width, uint32_t height)
{
    pixmanImage_t image(pixman_image_create_bits(format, int(width), int(height),
                                                 reinterpret_cast<uint32_t *>(pixels), int(width * 4)));
    if (!image)
        throw std::bad_alloc();
    return image;
}

/// Filters `in` along `axis` (0 across, 1 down) into `out`, which has the
/// same size along the other axis: new pixel i covers old pixels
/// [offset + i * scale, offset + (i + 1) * scale).
void filterAlong(int axis, double scale, double offset, pixman_format_code_t format, uint8_t *in, uint32_t inWidth,
                 uint32_t inHeight, uint8_t *out, uint32_t outWidth, uint32_t outHeight)
{
    pixmanImage_t source = viewOf(format, in, inWidth, inHeight);
    pixmanImage_t target = viewOf(format, out, outWidth, outHeight);
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
    // 16 phases between two old pixels: a new pixel's window is off by at
    // most 1/32 of a pixel.
    int count = 0;
    pixman_fixed_t *parameters = pixman_filter_create_separable_convolution(
        &count, scales[0], scales[1], reconstruct[0], reconstruct[1], sample[0], sample[1], 4, 4);
    if (parameters == nullptr)
        throw std::bad_alloc();
    const bool set = pixman_image_set_filter(source.get(), PIXMAN_FILTER_SEPARABLE_CONVOLUTION, parameters, count);
    free(parameters);
    if (!set)
        throw std::bad_alloc();
    pixman_image_composite32(PIXMAN_OP_SRC, source.get(), nullptr, target.get(), 0, 0, 0, 0, 0, 0, int(outWidth),
                             int(outHeight));
}

// pixman filters colours weighted by their opacity (premultiplied), so that
// the hidden colour of a transparent pixel does not bleed into its
// neighbours.
void premultiply(std::vector<uint8_t> &pixels)
{
    for (size_t i = 0; i < pixels.size(); i += 4)
        for (size_t c = i; c < i + 3; ++c)
            pixels[c] = uint8_t((pixels[c] * pixels[i + 3] + 127) / 255);
}

void unpremultiply(std::vector<uint8_t> &pixels)
{
    for (size_t i = 0; i < pixels.size(); i += 4) {
        const unsigned alpha = pixels[i + 3];
        // The window's negative lobes may leave a colour above its opacity.
        for (size_t c = i; c < i + 3; ++c)
            pixels[c] = alpha == 0 ? 0 : uint8_t(std::min(255u, (pixels[c] * 255u + alpha / 2) / alpha));
    }
}

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
        std::vector<uint8_t> rows(bufferBytes(newWidth, end - first));
        const pixman_format_code_t format = image->hasAlpha ? PIXMAN_a8r8g8b8 : PIXMAN_x8r8g8b8;
        if (image->hasAlpha)
            premultiply(image->pixels);
        filterAlong(0, region.width / newWidth, region.left, format,
                    image->pixels.data() + size_t(first) * image->width * 4, image->width, end - first, rows.data(),
                    newWidth, end - first);
        filterAlong(1, rowScale, region.top - first, format, rows.data(), newWidth, end - first, zoomed.data(),
                    newWidth, newHeight);
        if (image->hasAlpha)
            unpremultiply(zoomed);
        else
            // pixman leaves the unused byte as its fetchers happen to; the
            // decoders' 255 makes the record the same on every machine.
            for (size_t i = 3; i < zoomed.size(); i += 4)
                zoomed[i] = 255;
    }
    image->pixels.swap(zoomed);
    image->width = newWidth;
    image->height = newHeight;
    TRACE(1, "new size %ux%u\n", newWidth, newHeight);
}

/// An image too large for pixman's coordinates is first brought within
/// them by point sampling; only panoramas longer than kLongestSide are.
void keepWithinReach(loadedImage_t *image)
{
    if (image->width > kLongestSide || image->height > kLongestSide)
        image->resizeTo(kLongestSide, kLongestSide);
}

region_t whole(const loadedImage_t &image) { return {0, 0, double(image.width), double(image.height)}; }

} // namespace

void resizeSmoothlyTo(loadedImage_t *image, unsigned w, unsigned h)
{
    traceStep_t titled(1, "zooming smoothly to bounding box %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return;
    const boxFit_t fit = fitIntoBox(image->width, image->height, w, h);
    if (fit.width == image->width && fit.height == image->height)
        return;
    keepWithinReach(image);
    resample(image, whole(*image), fit.width, fit.height);
}

void coverBox(loadedImage_t *image, unsigned w, unsigned h)
{
    traceStep_t titled(1, "covering %u %u\n", w, h);
    if (image->width == 0 || image->height == 0)
        return;
    keepWithinReach(image);
    // The side that needs the larger zoom fills the box whole; the other is
    // cut evenly at both ends.
    const double scale = std::max(double(w) / image->width, double(h) / image->height);
    region_t region = whole(*image);
    if (scale > 0) {
        region.width = std::min(region.width, w / scale);
        region.height = std::min(region.height, h / scale);
        region.left = (image->width - region.width) / 2;
        region.top = (image->height - region.height) / 2;
    }
    resample(image, region, w, h);
}

void fitInBox(loadedImage_t *image, unsigned w, unsigned h)
{
    traceStep_t titled(1, "fitting within %u %u\n", w, h);
    if (image->width == 0 && image->height == 0)
        return;
    const boxFit_t fit = fitIntoBox(image->width, image->height, w, h);
    image->x = int32_t(std::min<int64_t>(INT32_MAX, image->x + int64_t(w - fit.width) / 2));
    image->y = int32_t(std::min<int64_t>(INT32_MAX, image->y + int64_t(h - fit.height) / 2));
    if (fit.width == image->width && fit.height == image->height)
        return;
    keepWithinReach(image);
    resample(image, whole(*image), fit.width, fit.height);
}
