// Fixtures of the loading and geometry tests: crafted bitmap stream files,
// images whose pixels name their own coordinates, and trace capture.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "support/scratch.h"
#include "testImages_support.h"

/// A bitmap stream: big-endian header (bounds from rowBytes and dataSize),
/// then `payload` as it is.
std::vector<uint8_t> imageBitmapStream(uint32_t magic, uint32_t rowBytes, uint32_t colors,
                                       uint32_t dataSize, const std::vector<uint8_t> &payload);


/// A w x h image whose every pixel holds its column and row (16 bits each).
imagePtr imageOfCoordinates(unsigned w, unsigned h);
/// The column and row stored in a pixel of such an image.
std::pair<unsigned, unsigned> imageCoordinatesAt(const loadedImage_t *image, unsigned column,
                                                 unsigned row);

/// Runs `action` with the trace at `level` and returns what it wrote; the
/// threshold is put back to 1 afterwards, the depth is left as it is.
template <typename Action> std::string imageTraceOf(unsigned level, Action action);

void imageTraceBegin(unsigned level);
std::string imageTraceEnd();

template <typename Action> std::string imageTraceOf(unsigned level, Action action)
{
    imageTraceBegin(level);
    try {
        action();
    } catch (...) {
        imageTraceEnd();
        throw;
    }
    return imageTraceEnd();
}
