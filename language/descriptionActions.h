// What the grammar's actions do to the splash description record.
#pragma once

#include <cstdint>

#include "language/splashDescription.h"

/// What the grammar's rules hand on. Plain data: the parser copies its
/// stack as it grows. File names are the scanner's text, owned by whoever
/// holds the value until an action takes them.
struct screenLine_t {
    int32_t width, height, depth;
};
struct pointValue_t {
    int32_t x, y;
};
struct iconsLine_t {
    char *litFile;   ///< null for a line that names no strips
    char *unlitFile; ///< null for a line that names no strips
    pointValue_t at;
};
/// A size modifier; MOD_NONE without one.
struct sizeModifier_t {
    int32_t modifier, width, height;
    /// MOD_COVERING's focus; 0 for the others.
    pointValue_t focus;
};
struct imageLine_t {
    char *fileName;
    pointValue_t at;
    sizeModifier_t size;
};

/// Clears the icon position and the image table before the first definition.
/// The screen fields keep the driver's presets until a screen line replaces
/// them.
void startOfInput(splashDescription_t *description);

void defineScreen(splashDescription_t *description, const screenLine_t &line);

/// The two file names are copied and freed, both null for a line that
/// names no strips of its own: the later icons line wins whole, so such a
/// line gives the boot loader's own strips back.
void defineIcons(splashDescription_t *description, const iconsLine_t &line);

/// The file name is copied into the entry and freed; when the table
/// already holds kMaxSplashImages entries, false is returned.
bool appendImage(splashDescription_t *description, const imageLine_t &line);
