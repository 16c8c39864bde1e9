// Turning the images of a splash into palette images: composing them,
// choosing their colours and mapping every image to those colours.
#pragma once

#include <deque>
#include <memory>
#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"
#include "imaging/renderOptions.h"

/// How many colours a splash may choose: the boot loader keeps the first 16
/// of its 256 palette entries for itself.
constexpr unsigned kSplashColors = 224;

/// How many palette entries the boot loader keeps for itself, in front of
/// the chosen colours.
constexpr unsigned kKeptColors = 16;

/// What a splash is made for besides its images: the screen and, when the
/// boot loader's own icon strips are replaced, the new ones.
struct splashFrame_t {
    unsigned screenWidth = 640;
    unsigned screenHeight = 480;
    /// The lit strip and the unlit (OffIcons) one, not owned; both null
    /// when the boot loader's own are kept.
    const loadedImage_t *icons[2] = {nullptr, nullptr};
    /// The boot loader's kept entries as red, green, blue: the strips are
    /// mapped to them and the chosen colours, as the palette is stored.
    uint8_t keptColors[kKeptColors * 3] = {};
};

/// The images of a splash as palette images, ready to be laid out.
struct renderedSplash_t {
    /// The chosen colours, at most kSplashColors of them.
    palette_t palette{};
    /// One per image given, in the same order, with its size and place;
    /// every index is below palette.numColors (255 when there is none).
    std::vector<quantizedImage_t> images;
    /// The frame's strips, lit then unlit, indexing the palette as stored
    /// (the kept colours, then the chosen ones); empty when it has none.
    std::vector<quantizedImage_t> icons;
};

/// Renders `count` placed images, later ones over earlier ones, as the
/// options say: with alpha, images that have it are composed over what lies
/// beneath them first, and those compositions are what is chosen for and
/// stored; the palette is chosen by colour boxes (or the full palette) from
/// the composite of the screen's top-left 640 x 480 pixels (the whole
/// screen with the full palette) and the frame's strips; each image is
/// mapped to its nearest colours (or dithered), each strip to its nearest
/// stored colours.
renderedSplash_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options,
                              const splashFrame_t &frame = splashFrame_t());

/// renderSplash one image at a time, for a caller that stores each image's
/// indices as they come: the palette is chosen when it is made, and Map
/// maps the images, in order, one call each.
class splashRenderer_t {
public:
    /// The images, and the frame's strips, must outlive the renderer.
    splashRenderer_t(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options,
                     const splashFrame_t &frame = splashFrame_t());
    splashRenderer_t(const splashRenderer_t &) = delete;
    splashRenderer_t &operator=(const splashRenderer_t &) = delete;

    const palette_t &Palette() const { return palette; }
    /// Maps image i into `indices` (its width * height bytes), telling
    /// `rowsMapped` as rows are done.
    void Map(unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped);
    /// The frame's strips, lit then unlit, mapped to the palette as stored;
    /// empty when the frame has none.
    std::vector<quantizedImage_t> MapIcons() const;

private:
    const splashFrame_t frame;
    /// The images as they are stored: the composed one in place of each
    /// image with alpha when composing.
    std::vector<const loadedImage_t *> slots;
    std::deque<loadedImage_t> composed;
    bool dither;
    palette_t palette{};
    /// One lookup for every image: built once, it learns the colours of all.
    std::unique_ptr<paletteLookup_t> lookup;
};
