// The splash description record that one parse fills.
#pragma once

#include <cstdint>

/// The most images one splash holds: the entries of a description and the
/// image slots of the boot loader's icon pack.
#define MAX_SPLASH_IMAGES 64

/// How an image entry's size is changed after it has been placed.
enum splashModifier_t : uint32_t {
    MOD_NONE = 0,    ///< keeps its own size
    MOD_RESIZED = 1, ///< zoomed to fit width x height
    MOD_CLIPPED = 2, ///< cropped to at most width x height
};

/// One image definition of the description.
struct splashImage_t {
    char *fileName; ///< as written between the quotes; belongs to the record's owner
    int32_t x;
    int32_t y;
    uint32_t modifier;
    uint32_t width;
    uint32_t height;
};

/// Everything one description says.
struct splashDescription_t {
    uint32_t screenWidth;
    uint32_t screenHeight;
    uint32_t screenDepth;
    uint32_t iconsX;
    uint32_t iconsY;
    /// The icons line named its own strips: they replace the boot loader's.
    bool ownIcons;
    /// The lit strip and the unlit (OffIcons) one as written between the
    /// quotes, or null; they belong to the record's owner.
    char *iconsLitFile;
    char *iconsUnlitFile;
    uint32_t imageCount;
    splashImage_t images[MAX_SPLASH_IMAGES];
};
