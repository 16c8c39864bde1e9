// Mapping an image to a palette.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/palette.h"

/// An image as one palette index per pixel, with the palette it indexes.
struct quantizedImage_t {
    palette_t palette{};
    uint32_t width = 0;
    uint32_t height = 0;
    int32_t x = 0;
    int32_t y = 0;
    /// width * height indices, rows packed from top to bottom.
    std::vector<uint8_t> pixels;
};

/// Maps every pixel to its nearest palette entry, ties to the lowest index.
quantizedImage_t quantizeImage(const loadedImage_t *image, const palette_t *palette);

/// A quantized record with the image's size and place, a copy of the
/// palette and `indices`.
quantizedImage_t quantizedLike(const loadedImage_t *image, const palette_t *palette, std::vector<uint8_t> indices);
