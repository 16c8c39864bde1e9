// The palette selection and quantization written the slow, obvious way: every
// pixel walks the box list in every iteration, and every pixel scans the whole
// palette. The product's fast versions must agree with these byte for byte.
#pragma once

#include "imaging/colorCube.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"

/// The final box list of the subdivision; the caller frees it with delete[].
colorCube_t *plainGetCubes(const uint8_t *pixels, unsigned numPixels, unsigned *numCubes,
                           unsigned maxColors);

/// Same contract as getOptimalPalette, traces included.
palette_t *plainGetOptimalPalette(const loadedImage_t *image, unsigned maxColors);

/// Same contract as quantizeImage, traces included.
quantizedImage_t *plainQuantizeImage(const loadedImage_t *image, const palette_t *palette);

/// Squared Euclidean distance in RGB: what the plain quantizer minimises.
double distance(unsigned r1, unsigned g1, unsigned b1, unsigned r2, unsigned g2, unsigned b2);
