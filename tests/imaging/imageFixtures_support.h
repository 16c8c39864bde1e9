// Fixtures of the loading and geometry tests: images whose pixels name their
// own coordinates, with the bitmap streams, scratch files and trace capture
// those tests use.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "fixtures/bitmapStream.h"
#include "fixtures/testImages.h"
#include "support/scratch.h"
#include "support/traceCapture.h"

/// A w x h image whose every pixel holds its column and row (16 bits each).
imagePtr imageOfCoordinates(unsigned w, unsigned h);
/// The column and row stored in a pixel of such an image.
std::pair<unsigned, unsigned> imageCoordinatesAt(const loadedImage_t *image, unsigned column,
                                                 unsigned row);
