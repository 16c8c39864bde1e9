// Mapping an image to a palette with error diffusion.
#pragma once

#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"

/// Maps every pixel of the image to a palette entry with Floyd-Steinberg
/// error diffusion, rows alternately left to right (row 0) and right to
/// left, into `indices` (width * height bytes), through the palette's
/// lookup (see lookupFor; a wandering one suits it best), telling
/// `rowsMapped` as rows are done.
///
/// Per channel, in sixteenths of a level: the wanted value is 16 * colour
/// plus the error owed to the pixel, clamped to 0..4080; the entry nearest
/// to the wanted colour rounded to whole levels ((wanted + 8) / 16) is
/// chosen, ties to the lowest index; the error e = wanted - 16 * entry goes
/// to the pixel ahead (e * 7 / 16), behind below (e * 3 / 16), below
/// (e * 5 / 16) and ahead below (the rest, so that nothing is lost but
/// what would fall outside the image), each quotient rounded toward zero.
/// A palette without colours leaves every index at 255, as quantizeImage.
void ditherInto(const loadedImage_t *image, const palette_t *palette, paletteLookup_t *lookup, uint8_t *indices,
                const rowsMapped_t &rowsMapped);
