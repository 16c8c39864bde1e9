// The boot screen as an icon pack describes it, drawn the one way both the
// tool and the inspector show it.
#pragma once

#include <cstdint>
#include <vector>

/// The largest screen side that is rendered.
constexpr uint32_t previewMaxSide = 4096;

/// A drawn boot screen: width x height RGB pixels, three bytes each.
struct packPreview_t {
    uint32_t width;
    uint32_t height;
    std::vector<uint8_t> rgb;
};

/// Renders the screen record's canvas of the length-byte pack, black, with
/// every whole image record of the image list drawn in directory order at
/// its position in the pack's palette (OffIcons at its own slot, so the
/// strip shows unlit) and, when lit, the icon strip record drawn last.
/// Whatever lies off the canvas is cut off; records too short for their
/// pixels are left out. Throws dawnmarkError_t with the given subject when the
/// screen record is damaged, empty or larger than previewMaxSide on a side,
/// and with subject "load_images" when the palette is not 256 entries or the
/// directory leaves the pack, which packs Dawnmark reads never do.
packPreview_t renderPackPreview(const unsigned char *pack, uint64_t length, bool lit,
                                const char *subject);
