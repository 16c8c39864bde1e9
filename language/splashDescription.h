// The splash description record that one parse fills.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/bootScreen.h"

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

/// Everything one description says: the screen, where the icon strips go
/// and whether the description names strips of its own, and at most
/// kMaxSplashImages images in the order written.
class splashDescription_t {
public:
    const screenGeometry_t &screen() const { return screenSize; }
    uint32_t iconsX() const { return iconsAtX; }
    uint32_t iconsY() const { return iconsAtY; }
    /// The icons line named its own strips: they replace the boot loader's.
    bool ownIcons() const { return hasOwnIcons; }
    /// The lit strip and the unlit (OffIcons) one as written between the
    /// quotes; empty without ownIcons().
    const std::string &iconsLitFile() const { return litFile; }
    const std::string &iconsUnlitFile() const { return unlitFile; }
    const std::vector<splashImage_t> &images() const { return entries; }

    void setScreen(const screenGeometry_t &screen) { screenSize = screen; }
    /// The boot loader's own strips, placed at (x, y).
    void placeIcons(uint32_t x, uint32_t y)
    {
        iconsAtX = x;
        iconsAtY = y;
        hasOwnIcons = false;
        litFile.clear();
        unlitFile.clear();
    }
    /// Strips of the description's own, placed at (x, y).
    void placeOwnIcons(uint32_t x, uint32_t y, std::string lit, std::string unlit)
    {
        iconsAtX = x;
        iconsAtY = y;
        hasOwnIcons = true;
        litFile = std::move(lit);
        unlitFile = std::move(unlit);
    }
    /// Adds an image after the others; false, and nothing added, when there
    /// are kMaxSplashImages already.
    bool addImage(splashImage_t image)
    {
        if (entries.size() >= kMaxSplashImages)
            return false;
        entries.push_back(std::move(image));
        return true;
    }
    /// Hands each file name, the images' in order then the own strips', to
    /// rewrite(name), which may change it; stops at the first call that
    /// returns false, and returns false then.
    template <typename rewrite_t> bool rewriteFileNames(rewrite_t rewrite)
    {
        for (splashImage_t &image : entries)
            if (!rewrite(image.fileName))
                return false;
        return !hasOwnIcons || (rewrite(litFile) && rewrite(unlitFile));
    }
    /// Forgets the icons line and the images; the screen stays.
    void clearIconsAndImages()
    {
        placeIcons(0, 0);
        entries.clear();
    }

private:
    screenGeometry_t screenSize = {0, 0, 0};
    uint32_t iconsAtX = 0;
    uint32_t iconsAtY = 0;
    bool hasOwnIcons = false;
    std::string litFile;
    std::string unlitFile;
    std::vector<splashImage_t> entries;
};

/// The image files the description names: its images in order, then its own
/// icon strips.
inline std::vector<const char *> descriptionInputs(const splashDescription_t &description)
{
    std::vector<const char *> files;
    for (const splashImage_t &image : description.images())
        files.push_back(image.fileName.c_str());
    if (description.ownIcons())
        files.insert(files.end(), {description.iconsLitFile().c_str(), description.iconsUnlitFile().c_str()});
    return files;
}
