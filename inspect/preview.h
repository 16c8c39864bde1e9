// The boot screen as an icon pack describes it.
#pragma once

#include <cstdint>
#include <vector>

#include "inspect/inspection.h"

/// The largest screen side that is rendered.
constexpr uint32_t previewMaxSide = 4096;

/// Renders the screen record's canvas, black, with every whole image record
/// drawn in directory order at its position (OffIcons at its own slot, so
/// the strip shows unlit) and, when lit, the icon strip record drawn last.
/// Whatever lies off the canvas is cut off. Returns width x height RGB
/// pixels, three bytes each. Throws inspectError_t when the screen record is
/// damaged, empty or larger than previewMaxSide on a side.
std::vector<uint8_t> renderPreview(const inspection_t &inspection, bool lit);
