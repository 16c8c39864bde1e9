// TGA: colour-mapped, true-colour and grey images, raw or run-length, at 8,
// 15, 16, 24 and 32 bits per pixel, stored from any corner. Five-bit
// channels become 8 bits as round(value x 255 / 31); the top bit of a 16-bit
// colour is alpha only when the descriptor announces an alpha bit.
//
// Our own decoder: stb_image reads a colour map that does not start at
// entry 0 from the wrong place, ignores right-to-left files and the alpha
// bit, rounds five-bit channels down and accepts runs past the last pixel.
#include <algorithm>
#include <new>

#include "decoders/decodeFailure.h"
#include "decoders/tga.h"
#include "decoders/byteReader.h"
#include "base/mappedAtOnce.h"

namespace {

constexpr size_t kTgaHeaderSize = 18;

struct tgaHeader_t {
    uint8_t idLength, mapType, type;
    uint16_t mapFirst, mapLength;
    uint8_t mapBits;
    uint16_t width, height;
    uint8_t bits, descriptor;

    unsigned kind() const { return type & 7u; } ///< 1 colour-mapped, 2 true-colour, 3 grey
    bool runLength() const { return (type & 8) != 0; }
    bool attributeAlpha() const { return (descriptor & 0x0f) != 0; }
    bool topDown() const { return (descriptor & 0x20) != 0; }
    bool rightToLeft() const { return (descriptor & 0x10) != 0; }
};

tgaHeader_t readHeader(const uint8_t *data)
{
    byteReader_t in(data, kTgaHeaderSize);
    tgaHeader_t h;
    h.idLength = in.u8();
    h.mapType = in.u8();
    h.type = in.u8();
    h.mapFirst = in.u16le();
    h.mapLength = in.u16le();
    h.mapBits = in.u8();
    in.skip(4); // the screen origin
    h.width = in.u16le();
    h.height = in.u16le();
    h.bits = in.u8();
    h.descriptor = in.u8();
    return h;
}

bool isColourDepth(unsigned bits) { return bits == 15 || bits == 16 || bits == 24 || bits == 32; }

// The format has no signature: a header is taken for TGA when every field
// holds a value the format allows.
bool plausible(const tgaHeader_t &h)
{
    if (h.type != h.kind() && h.type != h.kind() + 8)
        return false;
    if (h.mapType > 1 || (h.mapType == 1 && !isColourDepth(h.mapBits)) || h.width == 0 || h.height == 0)
        return false;
    switch (h.kind()) {
    case 1:
        return h.mapType == 1 && (h.bits == 8 || h.bits == 16);
    case 2:
        return isColourDepth(h.bits);
    case 3:
        return h.bits == 8 || h.bits == 16;
    default:
        return false;
    }
}

uint8_t fromFiveBits(unsigned value) { return uint8_t((value * 255 + 15) / 31); }

/// One stored colour (a pixel or a colour map entry) as blue, green, red,
/// alpha.
void toBgra(const uint8_t *stored, unsigned bits, bool grey, bool attributeAlpha, uint8_t *out)
{
    if (grey) {
        out[0] = out[1] = out[2] = stored[0];
        out[3] = bits == 16 ? stored[1] : 255;
    } else if (bits == 15 || bits == 16) {
        const unsigned v = stored[0] | stored[1] << 8;
        out[0] = fromFiveBits(v & 31);
        out[1] = fromFiveBits(v >> 5 & 31);
        out[2] = fromFiveBits(v >> 10 & 31);
        out[3] = bits == 16 && attributeAlpha && !(v & 0x8000) ? 0 : 255;
    } else {
        out[0] = stored[0];
        out[1] = stored[1];
        out[2] = stored[2];
        out[3] = bits == 32 ? stored[3] : 255;
    }
}

bool hasAlpha(const tgaHeader_t &h)
{
    const unsigned bits = h.kind() == 1 ? h.mapBits : h.bits;
    return bits == 32 || (bits == 16 && (h.kind() == 3 || h.attributeAlpha()));
}

} // namespace

bool looksLikeTga(const uint8_t *data, size_t size)
{
    return size >= kTgaHeaderSize && plausible(readHeader(data));
}

bool decodeTga(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    const tgaHeader_t h = readHeader(data);
    if (!bitmapSizeAcceptable(h.width, h.height))
        return failure->give("TGA image of %u x %u pixels is larger than 1 GiB", unsigned(h.width),
                            unsigned(h.height));
    byteReader_t in(data, size);
    in.skip(kTgaHeaderSize + h.idLength);

    // The colour map is read for colour-mapped images and stepped over by
    // the others.
    const unsigned entryBytes = (h.mapBits + 7) / 8;
    const uint8_t *entries = in.take(size_t(h.mapType) * h.mapLength * entryBytes);
    std::vector<uint8_t> map;
    const size_t pixels = size_t(h.width) * h.height;
    const unsigned pixelBytes = (h.bits + 7) / 8;
    // Every pixel takes its bytes, or at best 128 pixels share one packet:
    // checked before the allocation, so that a few bytes cannot ask for a
    // gigabyte.
    const uint64_t least = h.runLength() ? (pixels + 127) / 128 * (1 + pixelBytes) : uint64_t(pixels) * pixelBytes;
    if (in.endedEarly() || in.remaining() < least)
        return failure->give("TGA data ends early");
    try {
        if (h.kind() == 1)
            map.resize(size_t(h.mapLength) * 4);
        resizeMappedAtOnce(bitmap->pixels, pixels * 4);
    } catch (const std::bad_alloc &) {
        return failure->give("out of memory");
    }
    for (size_t i = 0; i < map.size() / 4; ++i)
        toBgra(entries + i * entryBytes, h.mapBits, false, h.attributeAlpha(), &map[i * 4]);
    bitmap->width = h.width;
    bitmap->height = h.height;
    bitmap->alpha = hasAlpha(h);

    const uint8_t *stored = nullptr;
    unsigned packetLeft = 0;
    bool repeating = false;
    for (size_t i = 0; i < pixels; ++i) {
        if (h.runLength() && packetLeft == 0) {
            const uint8_t packet = in.u8();
            packetLeft = (packet & 127u) + 1;
            repeating = (packet & 128) != 0;
            stored = nullptr;
            if (packetLeft > pixels - i)
                return failure->give("TGA run-length packet beyond the image");
        }
        if (!repeating || stored == nullptr)
            stored = in.take(pixelBytes);
        if (stored == nullptr)
            return failure->give("TGA data ends early");
        --packetLeft;

        // Pixels are stored from the bottom row up unless the descriptor
        // says top-down, and from the left unless it says right to left.
        const size_t storedRow = i / h.width, storedColumn = i % h.width;
        const size_t row = h.topDown() ? storedRow : h.height - 1 - storedRow;
        const size_t column = h.rightToLeft() ? h.width - 1 - storedColumn : storedColumn;
        uint8_t *out = &bitmap->pixels[(row * h.width + column) * 4];
        if (h.kind() != 1) {
            toBgra(stored, h.bits, h.kind() == 3, h.attributeAlpha(), out);
            continue;
        }
        const unsigned index = pixelBytes == 1 ? stored[0] : unsigned(stored[0] | stored[1] << 8);
        if (index < h.mapFirst || index - h.mapFirst >= h.mapLength)
            return failure->give("TGA colour index %u outside the colour map", index);
        std::copy_n(&map[(index - h.mapFirst) * 4], 4, out);
    }
    return true;
}
