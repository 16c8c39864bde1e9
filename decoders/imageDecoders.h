// Every decoder that reads a whole file in one step, in the order a file's
// content is matched against them; a bitmap stream is taken before any of
// them (decodeFile.cpp).
#pragma once

#include <vector>

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// One decoder: recognises its format by content and decodes a whole file
/// held in memory. decode fills the bitmap and returns true, or returns
/// false after giving its reason to `failure`; it may throw
/// std::bad_alloc when memory runs out.
struct imageDecoder_t {
    const char *name;
    bool (*identify)(const uint8_t *data, size_t size);
    bool (*decode)(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure);
};

/// The decoders; formats known by a signature come first, TGA, known only by
/// a plausible header, last.
const std::vector<imageDecoder_t> &imageDecoders();
