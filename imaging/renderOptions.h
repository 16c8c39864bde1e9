// How the images of a splash become palette images, beyond the default way.
#pragma once

/// The choices a run may make about composing, choosing the palette and
/// mapping. With everything off the result is the default one, byte for byte.
struct renderOptions_t {
    /// Map each image with Floyd-Steinberg error diffusion (ditherInto).
    bool dither = false;
    /// Compose images that have alpha over what lies beneath them
    /// (composeImages) before the palette is chosen.
    bool alpha = false;
    /// Fill every palette entry and refine the colours (getFullPalette).
    bool fullPalette = false;
};
