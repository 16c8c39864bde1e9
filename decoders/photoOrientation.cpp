#include "decoders/photoOrientation.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include <libexif/exif-data.h>

#include "base/mappedAtOnce.h"

namespace {

/// Frees the parsed block when it goes.
struct exifData_t {
    ExifData *data;
    ~exifData_t()
    {
        if (data != nullptr)
            exif_data_unref(data);
    }
};

/// Where an upright pixel comes from: the stored pixel at
/// first + column * perColumn + row * perRow, counted in pixels.
struct sourceWalk_t {
    int64_t first;
    int64_t perColumn;
    int64_t perRow;
};

sourceWalk_t walkFor(unsigned orientation, int64_t width, int64_t height)
{
    const int64_t last = width * height - 1;
    switch (orientation) {
    case 2: return {width - 1, -1, width};                // mirrored left to right
    case 3: return {last, -1, -width};                    // upside down
    case 4: return {last - (width - 1), 1, -width};       // mirrored top to bottom
    case 5: return {0, width, 1};                         // mirrored along the main diagonal
    case 6: return {last - (width - 1), -width, 1};       // stored turned left
    case 7: return {last, -width, -1};                    // mirrored along the other diagonal
    case 8: return {width - 1, width, -1};                // stored turned right
    default: return {0, 1, width};
    }
}

} // namespace

unsigned exifOrientation(const std::vector<uint8_t> &exif) noexcept
{
    if (exif.empty())
        return 1;
    // libexif takes a block as a JPEG's APP1 marker holds it, after the
    // marker's own "Exif" header.
    std::vector<uint8_t> block;
    try {
        block.assign(kExifHeader, kExifHeader + sizeof kExifHeader);
        block.insert(block.end(), exif.begin(), exif.end());
    } catch (const std::bad_alloc &) {
        // Too little memory to read the tag is no reason to refuse the picture.
        return 1;
    }
    if (block.size() > UINT32_MAX)
        return 1;
    const exifData_t parsed{exif_data_new_from_data(block.data(), unsigned(block.size()))};
    if (parsed.data == nullptr)
        return 1;
    // The tag belongs to the main image's directory; a thumbnail's own
    // does not turn the picture.
    ExifEntry *entry = exif_content_get_entry(parsed.data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (entry == nullptr || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || entry->size < 2)
        return 1;
    const unsigned value = exif_get_short(entry->data, exif_data_get_byte_order(parsed.data));
    return value >= 1 && value <= 8 ? value : 1;
}

bool orientationSwapsSides(unsigned orientation)
{
    return orientation >= 5 && orientation <= 8;
}

void turnUpright(decodedBitmap_t *bitmap, unsigned orientation)
{
    if (orientation < 2 || orientation > 8)
        return;
    const uint32_t width = bitmap->width;
    const uint32_t height = bitmap->height;
    const bool swapped = orientationSwapsSides(orientation);
    const uint32_t uprightWidth = swapped ? height : width;
    const uint32_t uprightHeight = swapped ? width : height;
    const sourceWalk_t walk = walkFor(orientation, width, height);
    const std::pair<double, double> overhang(bitmap->overhangRight, bitmap->overhangBottom);

    std::vector<uint8_t> upright;
    resizeMappedAtOnce(upright, bitmap->pixels.size());
    const uint8_t *stored = bitmap->pixels.data();
    // In square tiles: a turned picture reads its stored rows across, and
    // a tile's stored rows stay in the cache while it is written.
    constexpr uint32_t kTile = 64;
    for (uint32_t top = 0; top < uprightHeight; top += kTile)
        for (uint32_t left = 0; left < uprightWidth; left += kTile)
            for (uint32_t row = top; row < std::min(top + kTile, uprightHeight); ++row) {
                uint8_t *out = upright.data() + (size_t(row) * uprightWidth + left) * 4;
                int64_t from = walk.first + int64_t(row) * walk.perRow + int64_t(left) * walk.perColumn;
                for (uint32_t column = left; column < std::min(left + kTile, uprightWidth); ++column) {
                    std::memcpy(out, stored + from * 4, 4);
                    out += 4;
                    from += walk.perColumn;
                }
            }
    bitmap->pixels.swap(upright);
    bitmap->width = uprightWidth;
    bitmap->height = uprightHeight;
    bitmap->overhangRight = bitmap->overhangBottom = 0;
    // A partial last column or row keeps its overhang where it lands on the
    // right or at the bottom; on the left or at the top it cannot be told,
    // and counts as whole (at most half a pixel off centre).
    const double storedRight = overhang.first, storedBottom = overhang.second;
    switch (orientation) {
    case 2: bitmap->overhangBottom = storedBottom; break;
    case 4: bitmap->overhangRight = storedRight; break;
    case 5: bitmap->overhangRight = storedBottom; bitmap->overhangBottom = storedRight; break;
    case 6: bitmap->overhangBottom = storedRight; break;
    case 8: bitmap->overhangRight = storedBottom; break;
    default: break;
    }
}
