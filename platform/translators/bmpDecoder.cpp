// The layout a BMP file may take, and its pixels turned into 32-bit ones.
// Every offset is checked against the file before it is read; sizes are
// computed in 64 bits.
#include "platform/translators/bmpDecoder.h"

#include <cstring>
#include <utility>

namespace {

constexpr size_t kFileHeaderSize = 14;
constexpr size_t kMaskOffset = kFileHeaderSize + 40;

enum : uint32 {
    kRgb = 0,
    kRle8 = 1,
    kRle4 = 2,
    kBitFields = 3,
    kAlphaBitFields = 6,
};

enum maskIndex_t { kRed, kGreen, kBlue, kAlpha };

/// One colour channel of a 16- or 32-bit pixel.
struct channelMask_t {
    uint32 mask = 0;
    unsigned shift = 0;
    uint32 max = 0;
};

/// What the headers say about the pixels.
struct bmpLayout_t {
    uint32 width = 0;
    uint32 height = 0;
    bool topDown = false;
    unsigned bits = 0;
    uint32 compression = kRgb;
    bool alpha = false;
    channelMask_t masks[4];
    uint8_t palette[256][4]; // blue, green, red, 255
    size_t dataOffset = 0;
};

uint32 read16(const uint8_t *p)
{
    return uint32(p[0]) | uint32(p[1]) << 8;
}

uint32 read32(const uint8_t *p)
{
    return read16(p) | read16(p + 2) << 16;
}

bool refuse(std::string *reason, const std::string &why)
{
    if (reason != nullptr)
        *reason = why;
    return false;
}

channelMask_t channelMask(uint32 mask)
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

uint8_t scaleChannel(uint32 pixel, const channelMask_t &channel)
{
    if (channel.max == 0)
        return 0;
    const uint64 v = (pixel & channel.mask) >> channel.shift;
    // round(v * 255 / max), half up; v <= max keeps the result within 255.
    return uint8_t((v * 510 + channel.max) / (uint64(channel.max) * 2));
}

bool knownCompression(bool os2, uint32 compression, std::string *reason)
{
    // OS/2 2.x uses 3 and 4 for Huffman 1D and RLE24, where Windows has
    // bit fields and JPEG.
    if (os2 && compression > kRle4)
        return refuse(reason, "unsupported OS/2 BMP compression " + std::to_string(compression));
    if (compression != kRgb && compression != kRle8 && compression != kRle4 &&
        compression != kBitFields && compression != kAlphaBitFields)
        return refuse(reason, "unsupported BMP compression " + std::to_string(compression));
    return true;
}

bool depthFitsCompression(const bmpLayout_t &layout, std::string *reason)
{
    const unsigned bits = layout.bits;
    if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32)
        return refuse(reason, "unsupported BMP bit depth " + std::to_string(bits));
    const bool fits = layout.compression == kRle8   ? bits == 8
                      : layout.compression == kRle4 ? bits == 4
                      : layout.compression == kRgb  ? true
                                                    : bits == 16 || bits == 32;
    if (!fits)
        return refuse(reason, "BMP compression " + std::to_string(layout.compression) +
                                  " does not fit " + std::to_string(bits) + " bits per pixel");
    return true;
}

// Bit fields of the file's own, or the fixed 5-5-5 and 8-8-8 layouts of
// plain 16- and 32-bit files. Returns where the palette may start.
bool readMasks(const uint8_t *data, size_t size, uint32 headerSize, bmpLayout_t *layout,
               size_t *paletteStart, std::string *reason)
{
    *paletteStart = kFileHeaderSize + headerSize;
    uint32 masks[4] = {0, 0, 0, 0};
    if (layout->compression == kBitFields || layout->compression == kAlphaBitFields) {
        // The masks follow the 40-byte header and are part of the longer
        // ones; only those from 56 bytes on, or BI_ALPHABITFIELDS, hold alpha.
        const bool withAlpha = layout->compression == kAlphaBitFields || headerSize >= 56;
        const size_t maskEnd = kMaskOffset + (withAlpha ? 16 : 12);
        if (size < maskEnd)
            return refuse(reason, "BMP header ends early");
        for (int i = 0; i < (withAlpha ? 4 : 3); ++i)
            masks[i] = read32(data + kMaskOffset + 4 * i);
        if (maskEnd > *paletteStart)
            *paletteStart = maskEnd;
        if (layout->bits == 16 &&
            ((masks[kRed] | masks[kGreen] | masks[kBlue] | masks[kAlpha]) >> 16) != 0)
            return refuse(reason, "BMP colour mask wider than 16 bits");
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
// when it gives none), but never from where the pixel data starts.
bool readPalette(const uint8_t *data, size_t size, size_t start, uint32 colorsUsed,
                 size_t entrySize, bmpLayout_t *layout, std::string *reason)
{
    for (auto &entry : layout->palette) {
        entry[0] = entry[1] = entry[2] = 0;
        entry[3] = 255;
    }
    if (layout->bits > 8)
        return true;
    uint64 count = uint32(1) << layout->bits;
    if (colorsUsed != 0 && colorsUsed < count)
        count = colorsUsed;
    const uint64 room = (layout->dataOffset - start) / entrySize;
    if (room < count)
        count = room;
    if (start + count * entrySize > size)
        return refuse(reason, "BMP data ends early");
    for (uint64 i = 0; i < count; ++i)
        std::memcpy(layout->palette[i], data + start + i * entrySize, 3);
    return true;
}

bool readHeaders(const uint8_t *data, size_t size, bmpLayout_t *layout, std::string *reason)
{
    if (!looksLikeBmp(data, size))
        return refuse(reason, "not a BMP file");
    if (size < kFileHeaderSize + 4)
        return refuse(reason, "BMP header ends early");
    layout->dataOffset = read32(data + 10);
    const uint32 headerSize = read32(data + kFileHeaderSize);
    const bool core = headerSize == 12;
    const bool windows = headerSize == 40 || headerSize == 52 || headerSize == 56 ||
                         headerSize == 108 || headerSize == 124;
    const bool os2 = !windows && headerSize >= 16 && headerSize <= 64;
    if (!core && !windows && !os2)
        return refuse(reason, "unsupported BMP header size " + std::to_string(headerSize));
    if (size < kFileHeaderSize + headerSize)
        return refuse(reason, "BMP header ends early");

    const uint8_t *info = data + kFileHeaderSize;
    int64 width, height;
    uint32 planes, colorsUsed = 0;
    if (core) {
        width = read16(info + 4);
        height = read16(info + 6);
        planes = read16(info + 8);
        layout->bits = read16(info + 10);
    } else {
        width = int32(read32(info + 4));
        height = int32(read32(info + 8));
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
        return refuse(reason, "BMP plane count is not 1");
    if (!knownCompression(os2, layout->compression, reason) || !depthFitsCompression(*layout, reason))
        return false;
    layout->topDown = height < 0;
    if (layout->topDown)
        height = -height;
    if (width <= 0 || height == 0)
        return refuse(reason, "BMP has no pixels");
    if (!bitmapSizeAcceptable(uint64(width), uint64(height)))
        return refuse(reason, "BMP image larger than 1 GiB");
    if (layout->topDown && (layout->compression == kRle8 || layout->compression == kRle4))
        return refuse(reason, "RLE BMP stored top-down");
    layout->width = uint32(width);
    layout->height = uint32(height);

    size_t paletteStart;
    if (!readMasks(data, size, headerSize, layout, &paletteStart, reason))
        return false;
    if (layout->dataOffset < paletteStart)
        return refuse(reason, "BMP pixel data starts inside the header");
    return readPalette(data, size, paletteStart, colorsUsed, core ? 3 : 4, layout, reason);
}

uint8_t *pixelAt(decodedBitmap_t *out, uint32 column, uint32 row)
{
    return out->pixels.data() + (size_t(row) * out->width + column) * 4;
}

uint64 rowStride(const bmpLayout_t &layout)
{
    return (uint64(layout.width) * layout.bits + 31) / 32 * 4;
}

// Whether the file holds all the pixel data, judged before the image is
// allocated. Uncompressed rows are padded to four bytes; the last one need
// not carry its padding. RLE data needs at least one code.
bool pixelDataFits(size_t size, const bmpLayout_t &layout, std::string *reason)
{
    const bool runLength = layout.compression == kRle8 || layout.compression == kRle4;
    const uint64 lastRow = (uint64(layout.width) * layout.bits + 7) / 8;
    const uint64 needed = runLength ? 2 : rowStride(layout) * (layout.height - 1) + lastRow;
    if (layout.dataOffset > size || needed > size - layout.dataOffset)
        return refuse(reason, "BMP data ends early");
    return true;
}

// Uncompressed rows, bottom-up unless the height was negative.
void decodeRows(const uint8_t *data, const bmpLayout_t &layout, decodedBitmap_t *out)
{
    const uint64 stride = rowStride(layout);
    const unsigned bytesPerPixel = layout.bits / 8;
    const uint32 indexMask = layout.bits <= 8 ? (uint32(1) << layout.bits) - 1 : 0;
    for (uint32 y = 0; y < layout.height; ++y) {
        const uint32 fileRow = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t *row = data + layout.dataOffset + fileRow * stride;
        uint8_t *target = pixelAt(out, 0, y);
        for (uint32 x = 0; x < layout.width; ++x, target += 4) {
            if (layout.bits <= 8) {
                const uint64 bit = uint64(x) * layout.bits;
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
                const uint32 pixel = bytesPerPixel == 2 ? read16(p) : read32(p);
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
                     decodedBitmap_t *out, std::string *reason)
{
    for (uint32 y = 0; y < layout.height; ++y)
        for (uint32 x = 0; x < layout.width; ++x)
            std::memcpy(pixelAt(out, x, y), layout.palette[0], 4);

    const bool rle4 = layout.compression == kRle4;
    // Some writers encode whole stored rows, padding included: runs may
    // reach to the end of the padding, whose pixels are dropped.
    const uint64 rowEnd =
        rle4 ? (uint64(layout.width) + 7) / 8 * 8 : (uint64(layout.width) + 3) / 4 * 4;
    size_t pos = layout.dataOffset;
    uint64 x = 0, row = 0; // row counts up from the bottom
    auto put = [&](uint8_t index) {
        if (x < layout.width)
            std::memcpy(pixelAt(out, uint32(x), layout.height - 1 - uint32(row)),
                        layout.palette[index], 4);
        ++x;
    };
    const char *runsPast = "RLE data runs past the image";
    for (;;) {
        if (pos > size || size - pos < 2) {
            // A missing end-of-bitmap code is forgiven once every row ended.
            if (row >= layout.height)
                return true;
            return refuse(reason, "BMP data ends early");
        }
        const unsigned count = data[pos], value = data[pos + 1];
        pos += 2;
        if (count > 0) {
            if (row >= layout.height || x + count > rowEnd)
                return refuse(reason, runsPast);
            for (unsigned i = 0; i < count; ++i)
                put(rle4 ? uint8_t(i % 2 ? value & 15 : value >> 4) : uint8_t(value));
        } else if (value == 0) {
            x = 0;
            if (++row > layout.height)
                return refuse(reason, runsPast);
        } else if (value == 1) {
            return true;
        } else if (value == 2) {
            if (size - pos < 2)
                return refuse(reason, "BMP data ends early");
            x += data[pos];
            row += data[pos + 1];
            pos += 2;
            if (x > rowEnd || row > layout.height)
                return refuse(reason, runsPast);
        } else {
            const size_t bytes = rle4 ? (value + 1) / 2 : value;
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (row >= layout.height || x + value > rowEnd)
                return refuse(reason, runsPast);
            if (size - pos < padded)
                return refuse(reason, "BMP data ends early");
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

bool decodeBmp(const uint8_t *data, size_t size, decodedBitmap_t *out, std::string *reason)
{
    bmpLayout_t layout;
    if (!readHeaders(data, size, &layout, reason) || !pixelDataFits(size, layout, reason))
        return false;

    decodedBitmap_t bitmap;
    bitmap.width = layout.width;
    bitmap.height = layout.height;
    bitmap.alpha = layout.alpha;
    bitmap.pixels.resize(size_t(layout.width) * layout.height * 4);
    if (layout.compression == kRle8 || layout.compression == kRle4) {
        if (!decodeRunLength(data, size, layout, &bitmap, reason))
            return false;
    } else {
        decodeRows(data, layout, &bitmap);
    }
    *out = std::move(bitmap);
    return true;
}
