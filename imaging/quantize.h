// Mapping an image to a palette.
#pragma once

#include <cstdint>

#include "imaging/loadedImage.h"
#include "imaging/palette.h"

/// An image as one palette index per pixel. The caller owns the record and
/// its index buffer.
struct quantizedImage_t {
    palette_t palette;
    uint32_t width;
    uint32_t height;
    int32_t x;
    int32_t y;
    uint8_t *pixels;
};

/// Frees a quantized image made with new and its index buffer.
struct quantizedImageRelease_t {
    void operator()(quantizedImage_t *image) const
    {
        if (image != nullptr)
            delete[] image->pixels;
        delete image;
    }
};

/// Maps every pixel to its nearest palette entry, ties to the lowest index.
quantizedImage_t *quantizeImage(loadedImage_t *image, palette_t *palette);

/// A new quantized record with the image's size and place, a copy of the
/// palette and `indices` (array new, taken over).
quantizedImage_t *quantizedLike(const loadedImage_t *image, const palette_t *palette, uint8_t *indices);
