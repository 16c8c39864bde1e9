// The splash description record that one parse fills.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/bootScreen.h"

#define MAX_SPLASH_IMAGES kMaxSplashImages

/// How an image entry's size is changed after it has been placed.
enum splashModifier_t : uint32_t {
    MOD_NONE = 0,     ///< keeps its own size
    MOD_RESIZED = 1,  ///< zoomed to fit width x height
    MOD_CLIPPED = 2,  ///< cropped to at most width x height
    MOD_COVERING = 3, ///< zoomed to cover width x height, centred on it, cropped to it
    MOD_WITHIN = 4,   ///< zoomed to fit width x height, centred in it
};

/// Where a covered box centres its picture unless told otherwise: the
/// picture's centre, in percent of its width and height.
constexpr uint32_t kCentredFocus = 50;

/// One image definition of the description.
struct splashImage_t {
    std::string fileName; ///< as written between the quotes
    int32_t x;
    int32_t y;
    uint32_t modifier;
    uint32_t width;
    uint32_t height;
    /// MOD_COVERING: the point of the picture, in percent of its width and
    /// height from its top-left corner, kept as near the box's centre as the
    /// cut allows.
    uint32_t focusX;
    uint32_t focusY;
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
    /// quotes; empty without ownIcons.
    std::string iconsLitFile;
    std::string iconsUnlitFile;
    uint32_t imageCount;
    splashImage_t images[MAX_SPLASH_IMAGES];
};

/// The image files the description names: its images in order, then its own
/// icon strips.
inline std::vector<const char *> descriptionInputs(const splashDescription_t &description)
{
    std::vector<const char *> files;
    for (uint32_t i = 0; i < description.imageCount; ++i)
        files.push_back(description.images[i].fileName.c_str());
    if (description.ownIcons)
        files.insert(files.end(), {description.iconsLitFile.c_str(), description.iconsUnlitFile.c_str()});
    return files;
}
