// The layout a BMP file may take, and its pixels turned into 32-bit ones.
// Every offset is checked against the file before it is read; sizes are
// computed in 64 bits.
#include "decoders/bmp.h"

#include <cstring>
#include <utility>

#include "decoders/decodeFailure.h"
#include "base/mappedAtOnce.h"

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kMaskOffset = kFileHeaderSize + 40;

enum : uint32_t {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

enum maskIndex_t { kRed, kGreen, kBlue, kAlpha };

/// One colour channel of a 16- or 32-bit pixel.
struct channelMask_t {
    uint32_t mask = 0;
    unsigned shift = 0;
    uint32_t max = 0;
};

/// What the headers say about the pixels.
struct bmpLayout_t {
    uint32_t width = 0;
    uint32_t height = 0;
    bool topDown = false;
    unsigned bits = 0;
    uint32_t compression = kRgb;
    bool alpha = false;
    channelMask_t masks[4];
    uint8_t palette[256][4]; // blue, green, red, 255
    size_t dataOffset = 0;
};

uint32_t read16(const uint8_t *p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8;
}

uint32_t read32(const uint8_t *p)
{
    return read16(p) | read16(p + 2) << 16;
}

channelMask_t channelMask(uint32_t mask)
{
    channelMask_t channel;
    channel.mask = mask;
    if (mask != 0) {
        while ((mask >> channel.shift & 1) == 0)
            ++channel.shift;
        channel.max = mask >> channel.shift;
    }
    return channel;
}

uint8_t scaleChannel(uint32_t pixel, const channelMask_t &channel)
{
    if (channel.max == 0)
        return 0;
    const uint64_t v = (pixel & channel.mask) >> channel.shift;
    // round(v * 255 / max), half up; v <= max keeps the result within 255.
    return uint8_t((v * 510 + channel.max) / (uint64_t(channel.max) * 2));
}

bool knownCompression(bool os2, uint32_t compression, decodeFailure_t *failure)
{
    // OS/2 2.x uses 3 and 4 for Huffman 1D and RLE24, where Windows has
    // bit fields and JPEG.
    if (os2 && compression > kRle4)
        return failure->give("unsupported OS/2 BMP compression %u", unsigned(compression));
    if (compression != kRgb && compression != kRle8 && compression != kRle4 &&
        compression != kBitFields && compression != kAlphaBitFields)
        return failure->give("unsupported BMP compression %u", unsigned(compression));
    return true;
}

bool depthFitsCompression(const bmpLayout_t &layout, decodeFailure_t *failure)
{
    const unsigned bits = layout.bits;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return failure->give("unsupported BMP bit depth %u", bits);
    const bool fits = layout.compression == kRle8   ? bits == 8
                      : layout.compression == kRle4 ? bits == 4
                      : layout.compression == kRgb  ? true
                                                    : bits == 16 || bits == 32;
    if (!fits)
        return failure->give("BMP compression %u does not fit %u bits per pixel", unsigned(layout.compression), bits);
    return true;
}

// Bit fields of the file's own, or the fixed 5-5-5 and 8-8-8 layouts of
// plain 16- and 32-bit files. Returns where the palette may start.
bool readMasks(const uint8_t *data, size_t size, uint32_t headerSize, bmpLayout_t *layout,
               size_t *paletteStart, decodeFailure_t *failure)
{
    *paletteStart = kFileHeaderSize + headerSize;
    uint32_t masks[4] = {0, 0, 0, 0};
    if (layout->compression == kBitFields || layout->compression == kAlphaBitFields) {
        // The masks follow the 40-byte header and are part of the longer
        // ones; only those from 56 bytes on, or BI_ALPHABITFIELDS, hold alpha.
        const bool withAlpha = layout->compression == kAlphaBitFields || headerSize >= 56;
        const size_t maskEnd = kMaskOffset + (withAlpha ? 16 : 12);
        if (size < maskEnd)
            return failure->give("BMP header ends early");
        for (int i = 0; i < (withAlpha ? 4 : 3); ++i)
            masks[i] = read32(data + kMaskOffset + 4 * i);
        if (maskEnd > *paletteStart)
            *paletteStart = maskEnd;
        if (layout->bits == 16 &&
            ((masks[kRed] | masks[kGreen] | masks[kBlue] | masks[kAlpha]) >> 16) != 0)
            return failure->give("BMP colour mask wider than 16 bits");
    } else if (layout->bits == 16) {
        masks[kRed] = 0x7c00;
        masks[kGreen] = 0x03e0;
        masks[kBlue] = 0x001f;
    } else if (layout->bits == 32) {
        masks[kRed] = 0xff0000;
        masks[kGreen] = 0x00ff00;
        masks[kBlue] = 0x0000ff;
    }
    for (int i = 0; i < 4; ++i)
        layout->masks[i] = channelMask(masks[i]);
    layout->alpha = masks[kAlpha] != 0;
    return true;
}

// Palette entries are taken up to the count the header gives (all 2^bits
// when it gives none). Without a count, a writer that stores only the
// colours it uses ends the table where the pixel data starts. A pixel data
// offset that leaves an indexed image no colour at all, or cuts into a table
// whose size the header states, is wrong: the pixels are read right after
// the table, as other readers do, rather than from inside it.
bool readPalette(const uint8_t *data, size_t size, size_t start, uint32_t colorsUsed,
                 size_t entrySize, bmpLayout_t *layout, decodeFailure_t *failure)
{
    for (auto &entry : layout->palette) {
        entry[0] = entry[1] = entry[2] = 0;
        entry[3] = 255;
    }
    if (layout->bits > 8)
        return true;
    uint64_t count = uint32_t(1) << layout->bits;
    if (colorsUsed != 0 && colorsUsed < count)
        count = colorsUsed;
    if (layout->dataOffset < start + count * entrySize) {
        if (colorsUsed == 0 && layout->dataOffset >= start + entrySize)
            count = (layout->dataOffset - start) / entrySize;
        else
            layout->dataOffset = start + count * entrySize;
    }
    if (start + count * entrySize > size)
        return failure->give("BMP data ends early");
    for (uint64_t i = 0; i < count; ++i)
        std::memcpy(layout->palette[i], data + start + i * entrySize, 3);
    return true;
}

bool readHeaders(const uint8_t *data, size_t size, bmpLayout_t *layout, decodeFailure_t *failure)
{
    if (!looksLikeBmp(data, size))
        return failure->give("not a BMP file");
    if (size < kFileHeaderSize + 4)
        return failure->give("BMP header ends early");
    layout->dataOffset = read32(data + 10);
    const uint32_t headerSize = read32(data + kFileHeaderSize);
    const bool core = headerSize == 12;
    const bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                         headerSize == 108 || headerSize == 124;
    const bool os2 = !windows && headerSize >= 16 && headerSize <= 64;
    if (!core && !windows && !os2)
        return failure->give("unsupported BMP header size %u", unsigned(headerSize));
    if (size < kFileHeaderSize + headerSize)
        return failure->give("BMP header ends early");

    const uint8_t *info = data + kFileHeaderSize;
    int64_t width, height;
    uint32_t planes, colorsUsed = 0;
    if (core) {
        width = read16(info + 4);
        height = read16(info + 6);
        planes = read16(info + 8);
        layout->bits = read16(info + 10);
    } else {
        width = int32_t(read32(info + 4));
        height = int32_t(read32(info + 8));
        planes = read16(info + 12);
        layout->bits = read16(info + 14);
        // The OS/2 2.x header may stop after any of its fields; the missing
        // ones are zero.
        if (headerSize >= 20)
            layout->compression = read32(info + 16);
        if (headerSize >= 36)
            colorsUsed = read32(info + 32);
    }

    if (planes != 1)
        return failure->give("BMP plane count is not 1");
    if (!knownCompression(os2, layout->compression, failure) || !depthFitsCompression(*layout, failure))
        return false;
    layout->topDown = height < 0;
    if (layout->topDown)
        height = -height;
    if (width <= 0 || height == 0)
        return failure->give("BMP has no pixels");
    if (!bitmapSizeAcceptable(uint64_t(width), uint64_t(height)))
        return failure->give("BMP image larger than 1 GiB");
    if (layout->topDown && (layout->compression == kRle8 || layout->compression == kRle4))
        return failure->give("RLE BMP stored top-down");
    layout->width = uint32_t(width);
    layout->height = uint32_t(height);

    size_t paletteStart;
    if (!readMasks(data, size, headerSize, layout, &paletteStart, failure))
        return false;
    // An indexed image's pixels follow its colour table (readPalette); other
    // images have nothing there to skip.
    if (layout->bits > 8 && layout->dataOffset < paletteStart)
        return failure->give("BMP pixel data starts inside the header");
    return readPalette(data, size, paletteStart, colorsUsed, core ? 3 : 4, layout, failure);
}

uint8_t *pixelAt(decodedBitmap_t *out, uint32_t column, uint32_t row)
{
    return out->pixels.data() + (size_t(row) * out->width + column) * 4;
}

uint64_t rowStride(const bmpLayout_t &layout)
{
    return (uint64_t(layout.width) * layout.bits + 31) / 32 * 4;
}

// Whether the file holds all the pixel data, judged before the image is
// allocated. Uncompressed rows are padded to four bytes; the last one need
// not carry its padding. RLE data needs at least one code.
bool pixelDataFits(size_t size, const bmpLayout_t &layout, decodeFailure_t *failure)
{
    const bool runLength = layout.compression == kRle8 || layout.compression == kRle4;
    const uint64_t lastRow = (uint64_t(layout.width) * layout.bits + 7) / 8;
    const uint64_t needed = runLength ? 2 : rowStride(layout) * (layout.height - 1) + lastRow;
    if (layout.dataOffset > size || needed > size - layout.dataOffset)
        return failure->give("BMP data ends early");
    return true;
}

// Uncompressed rows, bottom-up unless the height was negative.
void decodeRows(const uint8_t *data, const bmpLayout_t &layout, decodedBitmap_t *out)
{
    const uint64_t stride = rowStride(layout);
    const unsigned bytesPerPixel = layout.bits / 8;
    const uint32_t indexMask = layout.bits <= 8 ? (uint32_t(1) << layout.bits) - 1 : 0;
    for (uint32_t y = 0; y < layout.height; ++y) {
        const uint32_t fileRow = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t *row = data + layout.dataOffset + fileRow * stride;
        uint8_t *target = pixelAt(out, 0, y);
        for (uint32_t x = 0; x < layout.width; ++x, target += 4) {
            if (layout.bits <= 8) {
                const uint64_t bit = uint64_t(x) * layout.bits;
                const unsigned shift = 8 - layout.bits - unsigned(bit % 8);
                std::memcpy(target, layout.palette[row[bit / 8] >> shift & indexMask], 4);
            } else if (layout.bits == 24) {
                const uint8_t *p = row + size_t(x) * 3;
                target[0] = p[0];
                target[1] = p[1];
                target[2] = p[2];
                target[3] = 255;
            } else {
                const uint8_t *p = row + size_t(x) * bytesPerPixel;
                const uint32_t pixel = bytesPerPixel == 2 ? read16(p) : read32(p);
                target[0] = scaleChannel(pixel, layout.masks[kBlue]);
                target[1] = scaleChannel(pixel, layout.masks[kGreen]);
                target[2] = scaleChannel(pixel, layout.masks[kRed]);
                target[3] = layout.alpha ? scaleChannel(pixel, layout.masks[kAlpha]) : 255;
            }
        }
    }
}

// RLE8 and RLE4: runs of one index (two alternating ones for RLE4),
// literal runs padded to 16 bits, and escapes for end of line, end of
// bitmap and a jump ahead. Rows are always stored bottom-up.
bool decodeRunLength(const uint8_t *data, size_t size, const bmpLayout_t &layout,
                     decodedBitmap_t *out, decodeFailure_t *failure)
{
    for (uint32_t y = 0; y < layout.height; ++y)
        for (uint32_t x = 0; x < layout.width; ++x)
            std::memcpy(pixelAt(out, x, y), layout.palette[0], 4);

    const bool rle4 = layout.compression == kRle4;
    // Some writers encode whole stored rows, padding included: runs may
    // reach to the end of the padding, whose pixels are dropped.
    const uint64_t rowEnd =
        rle4 ? (uint64_t(layout.width) + 7) / 8 * 8 : (uint64_t(layout.width) + 3) / 4 * 4;
    size_t pos = layout.dataOffset;
    uint64_t x = 0, row = 0; // row counts up from the bottom
    auto put = [&](uint8_t index) {
        if (x < layout.width)
            std::memcpy(pixelAt(out, uint32_t(x), layout.height - 1 - uint32_t(row)),
                        layout.palette[index], 4);
        ++x;
    };
    const char *runsPast = "RLE data runs past the image";
    for (;;) {
        if (pos > size || size - pos < 2) {
            // A missing end-of-bitmap code is forgiven once every row ended.
            if (row >= layout.height)
                return true;
            return failure->give("BMP data ends early");
        }
        const unsigned count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (row >= layout.height || x + count > rowEnd)
                return failure->give("%s", runsPast);
            for (unsigned i = 0; i < count; ++i)
                put(rle4 ? uint8_t(i % 2 ? value & 15 : value >> 4) : uint8_t(value));
        } else if (value == 0) {
            x = 0;
            if (++row > layout.height)
                return failure->give("%s", runsPast);
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (size - pos < 2)
                return failure->give("BMP data ends early");
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
            if (x > rowEnd || row > layout.height)
                return failure->give("%s", runsPast);
        } else {
            const size_t bytes = rle4 ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (row >= layout.height || x + value > rowEnd)
                return failure->give("%s", runsPast);
            if (size - pos < padded)
                return failure->give("BMP data ends early");
            for (unsigned i = 0; i < value; ++i) {
                const uint8_t byte = data[pos + (rle4 ? i / 2 : i)];
                put(rle4 ? uint8_t(i % 2 ? byte & 15 : byte >> 4) : byte);
            }
            pos += padded;
        }
    }
}

} // namespace

bool looksLikeBmp(const uint8_t *data, size_t size)
{
    return size >= 2 && data[0] == 'B' && data[1] == 'M';
}

bool decodeBmp(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure)
{
    bmpLayout_t layout;
    if (!readHeaders(data, size, &layout, failure) || !pixelDataFits(size, layout, failure))
        return false;

    decodedBitmap_t bitmap;
    bitmap.width = layout.width;
    bitmap.height = layout.height;
    bitmap.alpha = layout.alpha;
    resizeMappedAtOnce(bitmap.pixels, size_t(layout.width) * layout.height * 4);
    if (layout.compression == kRle8 || layout.compression == kRle4) {
        if (!decodeRunLength(data, size, layout, &bitmap, failure))
            return false;
    } else {
        decodeRows(data, layout, &bitmap);
    }
    *out = std::move(bitmap);
    return true;
}
