// Composing the images of a splash on one canvas.
#pragma once

#include "imaging/loadedImage.h"

/// Composes the images, later over earlier, on a black W x H canvas.
loadedImage_t mixImages(const loadedImage_t *const *images, unsigned count, unsigned W, unsigned H);
