// The splash icon pack: the inflated splash member of a boot loader file.
// A directory of (length, offset) entries locates the screen record, the
// palette, the icon strip and a list of images, one of which (OffIcons) has
// the strip's size and position. A pack is parsed here, and a new one laid
// out around new pictures.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "bootfile/newSplash.h"
#include "bootfile/packFormat.h"

/// One icon pack being edited: keeps the palette, the icon strip and the
/// OffIcons image of a parsed pack and lays out a new pack around new
/// pictures.
class zbeosIconPack_t {
public:
    /// Parses an inflated pack of length bytes, copying what it keeps.
    /// Throws dawnmarkError_t with subject "load_images" on a malformed pack.
    zbeosIconPack_t(const unsigned char *pack, unsigned length);

    /// Sets the geometry written into the new pack, the boot loader's own
    /// until then; no test is made.
    void DefineScreen(unsigned width, unsigned height, unsigned depth);
    /// Moves the icon strip and the OffIcons image together, kept on screen.
    void IconsAt(unsigned x, unsigned y);
    /// Appends a picture's size and place. Throws dawnmarkError_t beyond
    /// kMaxSplashImages.
    void AddImage(const packPicture_t &picture);
    /// The icon strip and the OffIcons image will be replaced by new strips
    /// `lit` and `unlit`, which keep the strip's place. Both must have the
    /// strip's size, since nothing tells how the boot loader would split a
    /// strip of another: otherwise throws dawnmarkError_t with the name of the
    /// first that differs, the size needed and its own, and nothing changes.
    void UseIcons(const packPicture_t &lit, const char *litName, const packPicture_t &unlit, const char *unlitName);
    /// The length of the new pack, known from the pictures' sizes alone.
    /// Throws dawnmarkError_t when it would not fit 32-bit lengths.
    uint64_t SerializedSize() const;

    /// Told, as the pack is laid out, how many bytes from its start are final.
    using packReady_t = std::function<void(uint64_t bytes)>;
    /// Lays out the new pack into `pack` (SerializedSize() bytes) in the
    /// pack's own order: screen record, the splash's palette, icon strip,
    /// the added pictures with their indices as the splash gives them,
    /// OffIcons; the splash's strips in place of the kept ones after
    /// UseIcons. Tells `ready` as the bytes from the start become final, on
    /// the terms of backgroundDeflate_t::Ready.
    void Layout(const newSplash_t &splash, uint8_t *pack, const packReady_t &ready) const;

    /// The geometry the new pack will hold.
    const screenGeometry_t &Screen() const { return screen; }
    /// The boot loader's own screen as its screen record gives it; the
    /// default screen when the record is missing, short or of no pixels.
    const screenGeometry_t &OwnScreen() const { return ownScreen; }
    /// The icon strip's size and place.
    packPicture_t Strip() const { return readRecordHeader(icons.data()); }
    /// 256 entries of red, green, blue as read from the pack.
    const uint8_t *Palette() const { return palette; }
    /// The icon strip's image record as read: width, height, x, y, pixels.
    const std::vector<uint8_t> &Icons() const { return icons; }
    /// The OffIcons image record as read; its first 16 bytes equal Icons'.
    const std::vector<uint8_t> &OffIcons() const { return offIcons; }
    /// The directory slot the OffIcons record was found in (4 or more).
    uint32_t OffIconsSlot() const { return offIconsSlot; }

private:
    /// Where the areas of the new pack go, and its size.
    packPlan_t Plan() const;

    screenGeometry_t ownScreen;
    screenGeometry_t screen;
    uint8_t palette[packPaletteSize];
    std::vector<uint8_t> icons;
    std::vector<uint8_t> offIcons;
    uint32_t offIconsSlot;
    std::vector<packPicture_t> pictures;
    /// Whether UseIcons was called: the splash brings strips of its own.
    bool newIcons = false;
};
