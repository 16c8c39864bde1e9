// Composing images that have alpha over what lies beneath them on the screen.
#pragma once

#include <deque>

#include "imaging/loadedImage.h"

/// A new opaque image of the same size and place as `image`: each pixel is
/// the image's colour blended over what the `count` images of `beneath`
/// show at that point of the screen (the last one that covers it, black
/// where none does), per channel (a * src + (255 - a) * dst + 127) / 255
/// with a the pixel's fourth byte. The fourth byte of the result is 255.
loadedImage_t composeOver(const loadedImage_t *image, const loadedImage_t *const *beneath, unsigned count);

/// Whether the image has alpha and any pixel below 255: one that composing
/// changes.
bool hasTransparentPixels(const loadedImage_t &image);

/// Replaces, in order, every image that has alpha by its composition over
/// the images before it, as composed; the others stay as they are. The new
/// images are kept in `composed`, where they never move, and which must
/// outlive every use of `images`.
void composeImages(const loadedImage_t **images, unsigned count, std::deque<loadedImage_t> *composed);
