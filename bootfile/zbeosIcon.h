// The splash icon pack: the inflated splash member of a boot loader file.
// A directory of (length, offset) entries locates the screen record, the
// palette, the icon strip and a list of images, one of which (OffIcons) has
// the strip's size and position.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/render.h"
#include "language/splashDescription.h"

/// Screen geometry written into a new pack.
struct screenGeometry_t {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
};

/// One icon pack being edited: keeps the palette, the icon strip and the
/// OffIcons image of a parsed pack and lays out a new pack around new
/// images once they are rendered.
class zbeosIconPack_t {
public:
    /// Parses an inflated pack of length bytes, copying what it keeps.
    /// Throws dawnmarkError_t with subject "load_images" on a malformed pack.
    zbeosIconPack_t(const unsigned char *pack, unsigned length);

    /// Sets the geometry written into the new pack; no test is made.
    void DefineScreen(unsigned width, unsigned height, unsigned depth);
    /// Moves the icon strip and the OffIcons image together, kept on screen.
    void IconsAt(unsigned x, unsigned y);
    /// Appends an image (held, not copied: it must outlive the pack's use
    /// of it). Throws dawnmarkError_t beyond MAX_SPLASH_IMAGES.
    void AddImage(const loadedImage_t *image);
    /// Replaces the icon strip by `lit` and the OffIcons image by `unlit`
    /// (held, not copied), which keep the strip's place. Both must have the
    /// strip's size, since nothing tells how the boot loader would split a
    /// strip of another: otherwise throws dawnmarkError_t with the name of the
    /// first that differs and the size needed, and nothing changes.
    void UseIcons(const loadedImage_t *lit, const char *litName, const loadedImage_t *unlit, const char *unlitName);
    /// What the images are rendered for: the screen, the strips given to
    /// UseIcons and the kept colours.
    splashFrame_t Frame() const;
    /// The length of the pack Serialize would build, known from the images'
    /// sizes alone. Throws dawnmarkError_t when it would not fit 32-bit lengths.
    uint64_t SerializedSize() const;
    /// Lays out the new pack: screen record, the kept and the chosen
    /// colours, icon strip, the rendered images (which must be the added
    /// ones, in order), OffIcons; the rendered strips in place of the kept
    /// ones when there are any. Throws dawnmarkError_t when the pack would not
    /// fit 32-bit lengths.
    std::vector<uint8_t> Serialize(const renderedSplash_t &splash) const;

    /// Gives image i's palette indices (chosen entries from 0) at `indices`,
    /// its width * height bytes, telling `rowsMapped` as rows are done.
    using imageIndices_t = std::function<void(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped)>;
    /// Told, as the pack is laid out, how many bytes from its start are final.
    using packReady_t = std::function<void(uint64_t bytes)>;
    /// Serialize into `pack` (SerializedSize() bytes) in the pack's own
    /// order, each image's indices as `indicesOf` gives them and the strips'
    /// pixels from `strips` (lit, unlit; empty: the kept ones), telling
    /// `ready` as the bytes from the start become final: a consumer may
    /// take them while the rest is still being made.
    void Layout(const palette_t &chosen, const std::vector<quantizedImage_t> &strips,
                const imageIndices_t &indicesOf, uint8_t *pack, const packReady_t &ready) const;

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
    /// The added images, not owned.
    const loadedImage_t *images[MAX_SPLASH_IMAGES];
    /// The strips given to UseIcons, lit and unlit, not owned; both null
    /// while the pack's own are kept.
    const loadedImage_t *ownIcons[2];
};
