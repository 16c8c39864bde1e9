// Mapping an image to a palette.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantizeLookup.h"

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

/// Told, after each row of an image is mapped, how many rows from the top
/// have their final indices.
using rowsMapped_t = std::function<void(uint32_t rows)>;

/// The lookup of a palette, shared by every image mapped to it; null for a
/// palette without colours, which maps every pixel to 255. `wandering` for
/// the colours of error diffusion (see paletteLookup_t).
std::unique_ptr<paletteLookup_t> lookupFor(const palette_t &palette, bool wandering = false);

/// quantizeImage into `indices` (width * height bytes), through the
/// palette's lookup, telling `rowsMapped` as rows are done.
void quantizeInto(const loadedImage_t *image, paletteLookup_t *lookup, uint8_t *indices,
                  const rowsMapped_t &rowsMapped);

/// A quantized record with the image's size and place, a copy of the
/// palette and `indices`.
quantizedImage_t quantizedLike(const loadedImage_t *image, const palette_t *palette, std::vector<uint8_t> indices);
