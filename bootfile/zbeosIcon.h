// The splash icon pack: the inflated splash member of a boot loader file.
// A directory of (length, offset) entries locates the screen record, the
// palette, the icon strip and a list of images, one of which (OffIcons) has
// the strip's size and position.
#pragma once

#include <cstdint>
#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/renderOptions.h"
#include "language/splashDescription.h"

/// Screen geometry written into a new pack.
struct screenGeometry_t {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
};

/// One icon pack being edited: keeps the palette, the icon strip and the
/// OffIcons image of a parsed pack and builds a new pack around new images.
class zbeosIconPack_t {
public:
    /// Parses an inflated pack of length bytes, copying what it keeps.
    /// Throws cagada_t with subject "load_images" on a malformed pack.
    zbeosIconPack_t(const unsigned char *pack, unsigned length);

    /// Sets the geometry written into the new pack; no test is made.
    void DefineScreen(unsigned width, unsigned height, unsigned depth);
    /// Moves the icon strip and the OffIcons image together, kept on screen.
    void IconsAt(unsigned x, unsigned y);
    /// Appends an image (held, not copied: it must outlive Serialize).
    /// Throws cagada_t beyond MAX_SPLASH_IMAGES.
    void AddImage(loadedImage_t *image);
    /// The length of the pack Serialize would build, known from the images'
    /// sizes alone. Throws cagada_t when it would not fit 32-bit lengths.
    uint64_t SerializedSize() const;
    /// Builds the new pack (array new, the caller releases it) and stores its
    /// length, composing, choosing the palette and mapping as the options
    /// say. Throws cagada_t when the pack would not fit 32-bit lengths.
    unsigned char *Serialize(unsigned *length, const renderOptions_t &options = renderOptions_t()) const;

    screenGeometry_t screen;
    /// 256 entries of red, green, blue as read from the pack.
    uint8_t palette[768];
    /// The icon strip's image record as read: width, height, x, y, pixels.
    std::vector<uint8_t> icons;
    /// The OffIcons image record as read; its first 16 bytes equal icons'.
    std::vector<uint8_t> offIcons;
    /// The directory slot the OffIcons record was found in (4 or more).
    uint32_t offIconsSlot;
    uint32_t imageCount;
    loadedImage_t *images[MAX_SPLASH_IMAGES];
};
