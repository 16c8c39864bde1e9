// Dithering, composing with alpha and the full palette written the slow,
// obvious way: errors kept for the whole image, the images beneath found
// pixel by pixel, boxes and k-means walked over every pixel, the whole
// palette scanned for every pixel. The product's versions must agree with
// these byte for byte.
#pragma once

#include <vector>

#include "fixtures/wholeImage.h"
#include "fixtures/testImages.h"
#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"

/// Same contract as ditherImage, traces included.
quantizedImage_t plainDitherImage(const loadedImage_t *image, const palette_t *palette);

/// What composeImages leaves in each slot, as new images: a copy of every
/// image without alpha, the composition of every image with alpha.
std::vector<imagePtr> plainComposeImages(const std::vector<const loadedImage_t *> &images);

/// Same contract as getFullPalette, without its traces.
palette_t plainGetFullPalette(const loadedImage_t *image, unsigned maxColors, const palette_t *fixed = nullptr);
