// The mark of a preview: a PNG text chunk that says the file is a boot
// screen this tool drew, so that a later run may replace it while any other
// file at a preview's path is kept.
#pragma once

#include <cstdint>
#include <vector>

/// Puts the mark into png, a PNG file as libpng writes it, right behind
/// its header chunk (IHDR), where isMarkedPreview looks for it.
void markAsPreview(std::vector<uint8_t> *png);

/// Whether path names a regular file that begins as a marked preview does.
/// Reads no more than those first bytes and never waits: whatever is not a
/// regular file, cannot be opened or is shorter is not a preview.
bool isMarkedPreview(const char *path);
