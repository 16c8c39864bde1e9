// Image loading on arbitrary bytes: the decoder is picked by content
// (bitmap streams, PNG, JPEG, PNM, GIF, PSD, BMP, TGA) and its pixels become
// the image record.
#include <cstdlib>
#include <cstring>
#include <utility>
#include <vector>

#include "decoders/fileRows.h"
#include "diagnostics/errors.h"
#include "fuzzSupport.h"
#include "imaging/loadImage.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTrace();
    return 0;
}

// A bitmap stream's header alone decides the size of the pixel buffer, and
// the loader fills whatever the payload leaves with black (see
// tests/imaging/loadImage_test.cpp). Streams that claim far
// more than they hold only make the run allocate and clear up to 1 GiB,
// and would take most of the fuzzer's time.
bool claimsFarMoreThanItHolds(const uint8_t *data, size_t size)
{
    if (size < 32 || std::memcmp(data, "bits", 4) != 0)
        return false;
    const uint64_t claimed = uint64_t(data[28]) << 24 | data[29] << 16 | data[30] << 8 | data[31];
    return claimed > 4 * uint64_t(size) + (1 << 20);
}

/// Whether a picture of width x height takes far more pixels than a file of
/// `size` bytes can hold but as one colour.
bool farLargerThan(uint64_t width, uint64_t height, size_t size)
{
    return width * height * 4 > 256 * uint64_t(size) + (1 << 20);
}

// A run-length BMP may end its data at once and leave every pixel at palette
// entry 0, so a few bytes can legitimately make an image of up to 1 GiB;
// such files are skipped for the same reason.
bool bmpFarLargerThanItsFile(const uint8_t *data, size_t size)
{
    if (size < 26 || data[0] != 'B' || data[1] != 'M')
        return false;
    const uint32_t headerSize = uint32_t(data[14]) | uint32_t(data[15]) << 8;
    uint64_t width, height;
    if (headerSize == 12) {
        width = uint32_t(data[18]) | uint32_t(data[19]) << 8;
        height = uint32_t(data[20]) | uint32_t(data[21]) << 8;
    } else {
        const int32_t w = int32_t(uint32_t(data[18]) | uint32_t(data[19]) << 8 | uint32_t(data[20]) << 16 |
                                  uint32_t(data[21]) << 24);
        const int32_t h = int32_t(uint32_t(data[22]) | uint32_t(data[23]) << 8 | uint32_t(data[24]) << 16 |
                                  uint32_t(data[25]) << 24);
        width = uint64_t(w < 0 ? -int64_t(w) : w);
        height = uint64_t(h < 0 ? -int64_t(h) : h);
    }
    return farLargerThan(width, height, size);
}

// A GIF's logical screen is its picture, filled with the background where
// no frame covers it: a few bytes can legitimately make 1 GiB of pixels,
// whose zoom alone outlasts the fuzzer's timeout under the sanitizers.
bool gifFarLargerThanItsFile(const uint8_t *data, size_t size)
{
    if (size < 10 || std::memcmp(data, "GIF", 3) != 0)
        return false;
    return farLargerThan(uint32_t(data[6]) | uint32_t(data[7]) << 8, uint32_t(data[8]) | uint32_t(data[9]) << 8, size);
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (claimsFarMoreThanItHolds(data, size) || bmpFarLargerThanItsFile(data, size) ||
        gifFarLargerThanItsFile(data, size))
        return 0;
    memoryFile_t file(data, size);
    loadedImage_t image;
    try {
        image = loadImage(file.Path());
    } catch (const dawnmarkError_t &failure) {
        if (!failure.subject || !failure.reason)
            abort();
        return 0;
    }
    // The record itself refuses pixels that do not match its size (an
    // exception no caller catches); a decode must also give some, at the
    // origin.
    if (image.width() == 0 || image.x() != 0 || image.y() != 0)
        abort();
    // Zoomed as its rows are decoded, the file must give the whole decode
    // zoomed: the same pixels, or the same refusal. A file that is not read
    // by rows is loaded whole either way.
    const leastSize_t least = {24, 18};
    const filteredZoom_t zoom = {filteredZoom_t::covering, 8, 6, {}};
    if (openFileRows(file.Path(), least) == nullptr)
        return 0;
    loadedImage_t zoomedAsDecoded, zoomedWhole;
    try {
        zoomedAsDecoded = loadImageZoomed(file.Path(), least, zoom).image;
    } catch (const dawnmarkError_t &) {
    }
    try {
        loadedImage_t whole = loadImage(file.Path(), least);
        zoomAsPlanned(&whole, zoom);
        zoomedWhole = std::move(whole);
    } catch (const dawnmarkError_t &) {
    }
    if (zoomedAsDecoded.pixels() != zoomedWhole.pixels())
        abort();
    const std::vector<uint8_t> &pixels = image.pixels();
    unsigned sum = 0;
    for (size_t i = 0; i < pixels.size(); i += 4093)
        sum += pixels[i];
    if (!pixels.empty())
        sum += pixels.back();
    return int(sum & 0);
}
