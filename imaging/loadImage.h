// Loading an image file of any supported format into an image record.
#pragma once

#include "imaging/loadedImage.h"

/// Loads an image file through the translators; throws dawnmarkError_t.
loadedImage_t loadImage(const char *path);
