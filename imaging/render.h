// Turning the images of a splash into palette images: composing them,
// choosing their colours and mapping every image to those colours.
#pragma once

#include <vector>

#include "imaging/loadedImage.h"
#include "imaging/palette.h"
#include "imaging/quantize.h"
#include "imaging/renderOptions.h"

/// How many colours a splash may choose: the boot loader keeps the first 16
/// of its 256 palette entries for itself.
constexpr unsigned kSplashColors = 224;

/// The images of a splash as palette images, ready to be laid out.
struct renderedSplash_t {
    /// The chosen colours, at most kSplashColors of them.
    palette_t palette{};
    /// One per image given, in the same order, with its size and place;
    /// every index is below palette.numColors (255 when there is none).
    std::vector<quantizedImage_t> images;
};

/// Renders `count` placed images, later ones over earlier ones, as the
/// options say: with alpha, images that have it are composed over what lies
/// beneath them first, and those compositions are what is chosen for and
/// stored; the palette is chosen by colour boxes (or the full palette) from
/// the composite of the screen's top-left 640 x 480 pixels; each image is
/// mapped to its nearest colours (or dithered).
renderedSplash_t renderSplash(const loadedImage_t *const *images, unsigned count, const renderOptions_t &options);
