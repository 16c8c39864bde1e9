// Writing PNG files under the inspector's rules for output files.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bootScreen.h"

/// Writes bytes as the file at path. An existing file is refused unless
/// overwrite. Throws dawnmarkError_t (subject path) on failure, leaving no
/// partial file behind.
void writeOutputFile(const char *path, const std::vector<uint8_t> &bytes, bool overwrite);

/// Writes a palette image: width x height indices (rows top to bottom, no
/// gap) into the 256 red, green, blue entries of palette. An existing file
/// is refused unless overwrite. Throws dawnmarkError_t (subject path) on failure,
/// leaving no partial file behind.
void writeIndexedPng(const char *path, uint32_t width, uint32_t height, const uint8_t *indices,
                     const uint8_t palette[kPaletteBytes], bool overwrite);

/// Writes a preview, an 8-bit RGB image of three bytes per pixel with the
/// preview mark, under the same rules.
void writePreviewPng(const char *path, uint32_t width, uint32_t height, const uint8_t *rgb,
                 bool overwrite);

/// The reason an existing file is refused with.
extern const char *const pngExistsReason;
