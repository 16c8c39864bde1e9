// PNG files made in memory through libpng's simplified interface, so that
// each program decides itself how and where they are stored.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bootScreen.h"

/// The PNG file of a palette image: width x height indices (rows top to
/// bottom, no gap) into all 256 red, green, blue entries of palette, so
/// that an index in the file is the index given. Throws dawnmarkError_t
/// (subject "png") when the size does not suit PNG or libpng fails.
std::vector<uint8_t> encodeIndexedPng(uint32_t width, uint32_t height, const uint8_t *indices,
                                      const uint8_t palette[kPaletteBytes]);

/// The PNG file of a preview: an 8-bit RGB image, three bytes per pixel,
/// carrying the preview mark (previewMark.h). `quick` trades a larger file
/// for about half the time, for a preview that is shown at once and never stored.
std::vector<uint8_t> encodePreviewPng(uint32_t width, uint32_t height, const uint8_t *rgb, bool quick = false);
