// What the grammar's actions do to the splash description record.
#pragma once

#include <cstdint>

#include "language/splashDescription.h"

/// Clears the icon position and the image table before the first definition.
/// The screen fields keep the driver's presets until a screen line replaces
/// them.
void startOfInput(splashDescription_t *description);

/// slot: width, height, depth.
void defineScreen(splashDescription_t *description, const int32_t *slot);

/// slot: x, y. The two file names are copied and freed, both null for a
/// line that names no strips of its own: the later icons line wins whole, so such a
/// line gives the boot loader's own strips back.
void defineIcons(splashDescription_t *description, char *litFile, char *unlitFile, const int32_t *slot);

/// slot 1 to 7: x, y, modifier, width, height, focus x and y. The file name is copied into
/// the entry and freed; when the table already holds MAX_SPLASH_IMAGES
/// entries, false is returned.
bool appendImage(splashDescription_t *description, char *fileName, const int32_t *slot);
