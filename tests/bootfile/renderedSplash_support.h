// New splashes for the boot loader file tests, rendered as a run renders
// them.
#pragma once

#include <vector>

#include "bootfile/iconPack.h"
#include "imaging/render.h"
#include "support/bytes.h"

/// The splash of `images` rendered with `options` for a boot loader whose
/// palette (256 entries) is `palette`, as a run renders it.
newSplash_t renderedFor(const uint8_t *palette, const std::vector<const loadedImage_t *> &images = {},
                        const renderOptions_t &options = renderOptions_t());

/// The pack that `pack` lays out for `splash`.
bytes_t laidOut(const zbeosIconPack_t &pack, const newSplash_t &splash);
