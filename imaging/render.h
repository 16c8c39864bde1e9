// Turning the images of a splash into palette images: composing them,
// choosing their colours and mapping every image to those colours.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "base/bootScreen.h"
#include "base/secondThread.h"
#include "bootfile/newSplash.h"
#include "imaging/dither.h"
#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"
#include "imaging/renderOptions.h"

/// What a splash is made for besides its images: the screen and, when the
/// boot loader's own icon strips are replaced, the new ones.
struct splashFrame_t {
    unsigned screenWidth = kDefaultScreen.width;
    unsigned screenHeight = kDefaultScreen.height;
    /// The lit strip and the unlit (OffIcons) one, not owned; both null
    /// when the boot loader's own are kept.
    const loadedImage_t *icons[2] = {nullptr, nullptr};
    /// The boot loader's palette as it was read, red, green, blue: its
    /// first kKeptColors entries are kept, the chosen colours follow them.
    uint8_t palette[kPaletteBytes] = {};
};

/// Renders `count` placed images, later ones over earlier ones, as the
/// options say: with alpha, images that have it are composed over what lies
/// beneath them first, and those compositions are what is chosen for and
/// stored; the palette is chosen by colour boxes (or the full palette) from
/// the composite of the screen's top-left 640 x 480 pixels (the whole
/// screen with the full palette) and the frame's strips when it is made;
/// each image is mapped to its nearest colours (or dithered), each strip to
/// its nearest stored colours, as they are asked for.
class splashRenderer_t {
public:
    /// The images, and the frame's strips, must outlive the renderer.
    /// Counting the full palette is shared with `thread`.
    splashRenderer_t(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options,
                     const splashFrame_t &frame, secondThread_t &thread);
    splashRenderer_t(const splashRenderer_t &) = delete;
    splashRenderer_t &operator=(const splashRenderer_t &) = delete;

    /// All 256 entries as stored: the frame's kept ones, then the chosen
    /// colours (the rest of them zero).
    const uint8_t *StoredPalette() const { return stored; }
    /// Maps image i into `indices` (its width * height bytes) as stored:
    /// entry kKeptColors + j for chosen colour j (uint8_t(kKeptColors + 255)
    /// for every pixel when no colour was chosen); with the full palette, to
    /// the nearest of the kept and chosen entries, the kept ones first among
    /// equals. Tells `rowsMapped` as rows are done.
    void Map(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped);
    /// The frame's strips, lit then unlit, mapped to the palette as stored
    /// (never dithered); empty when the frame has none.
    std::vector<quantizedImage_t> MapIcons() const;

private:
    const splashFrame_t frame;
    /// The images as they are stored: the composed one in place of each
    /// image with alpha when composing.
    std::vector<const loadedImage_t *> slots;
    std::deque<loadedImage_t> composed;
    bool dither;
    palette_t palette{};
    uint8_t stored[kPaletteBytes];
    /// The stored entries that hold colours: the kept ones, then the chosen.
    palette_t storedColors{};
    /// What images are mapped to: the chosen colours, or with the full
    /// palette the stored ones.
    const palette_t *mappedTo = &palette;
    /// One lookup for every image: built once, it learns the colours of all.
    std::unique_ptr<paletteLookup_t> lookup;
    /// What dithering works out for the palette, once for every image.
    std::unique_ptr<ditherPalette_t> ditherTables;
};

/// The size and place of an image in a pack.
packPicture_t pictureOf(const loadedImage_t &image);

/// The splash as the boot loader file takes it: `renderer`'s stored palette
/// and strips, and its images' rows, which it maps as the pack asks for
/// them; the splash holds the renderer until then.
newSplash_t packSplashOf(const std::shared_ptr<splashRenderer_t> &renderer);
