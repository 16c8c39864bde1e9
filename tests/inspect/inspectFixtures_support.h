// Hand-built icon packs and boot loader files for the inspector's tests: its
// unit tests here and its runs in tests/cli/.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/bytes.h"
#include "support/files.h"
#include "support/scratch.h"

/// An image record: width, height, x, y, then the given pixels.
bytes_t packRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, const bytes_t &pixels);

/// An icon pack whose directory entry k points at areas[k] (an empty area
/// gives length 0, offset 0), followed by the zero entry that ends the list.
bytes_t packOf(const std::vector<bytes_t> &areas);

/// A screen record of three 32-bit values.
bytes_t screenRecord(uint32_t width, uint32_t height, uint32_t depth);

/// The palette of hand-built packs: entry i is (i, 255 - i, 128), never black.
bytes_t handPalette();

/// A small pack with a 6 x 4 screen, drawn by hand in the preview tests:
/// icon strip 2 x 1 at (3, 3) of indices 5, 6; slot 4 a 3 x 2 image at
/// (0, 0) of 1 to 6; slot 5 OffIcons (7, 7); slot 6 a 2 x 2 image at (5, 2)
/// of 8 to 11, half off the screen; slot 7 a 1 x 1 image of 13 wholly off
/// it at (10, 10); slot 8 a 1 x 1 image of 12 at (1, 1).
bytes_t handPack();

/// A boot loader file: the sample's boot code and loader member, then an
/// "images" member holding pack.
bytes_t zbeosWithPack(const bytes_t &pack);
