#include "decoders/bitmapStream.h"

#include <cstring>

#include "decoders/byteReader.h"
#include "decoders/decodeFailure.h"

namespace {

const uint8_t magic[4] = {'b', 'i', 't', 's'};
const uint8_t littleEndianMagic[4] = {'s', 't', 'i', 'b'};

constexpr size_t kHeaderSize = 32;

} // namespace

bitmapStreamHeader_t bitmapStreamHeaderOf(const decodedBitmap_t &bitmap)
{
    bitmapStreamHeader_t header;
    header.rowBytes = bitmap.width * 4;
    header.colors = bitmap.alpha ? kColorsRgba32 : kColorsRgb32;
    header.dataSize = uint32_t(uint64_t(bitmap.width) * bitmap.height * 4);
    return header;
}

bool looksLikeBitmapStream(const uint8_t *data, size_t size)
{
    return size >= sizeof magic && (std::memcmp(data, magic, sizeof magic) == 0 ||
                                    std::memcmp(data, littleEndianMagic, sizeof littleEndianMagic) == 0);
}

bool readBitmapStreamHeader(const uint8_t *data, size_t size, bitmapStreamHeader_t *header,
                            decodeFailure_t *failure)
{
    // The empty reason is the one the loader always gave here: its error
    // line ends in "-- ", as for a file no decoder takes.
    if (size < kHeaderSize)
        return failure->give("%s", "");
    if (std::memcmp(data, magic, sizeof magic) != 0)
        return failure->give("not a bitmap stream (wrong magic)");
    byteReader_t reader(data, size);
    reader.skip(sizeof magic + 4 * sizeof(float));
    header->rowBytes = reader.u32be();
    header->colors = reader.u32be();
    header->dataSize = reader.u32be();
    return true;
}

bool decodeBitmapStream(const uint8_t *data, size_t size, const bitmapStreamHeader_t &header,
                        decodedBitmap_t *out, decodeFailure_t *failure)
{
    if (header.colors != kColorsRgb32 && header.colors != kColorsRgba32)
        return failure->give("colour space is neither B_RGB32 nor B_RGBA32");
    // Less than one pixel per row would make an image of width 0 whose
    // height cannot be derived from the data size.
    if (header.rowBytes < 4)
        return failure->give("row size is smaller than one pixel");
    // The header alone decides the allocation: a few bytes may claim 4 GiB.
    // No decoder makes a bitmap larger than kMaxBitmapBytes, and no larger
    // file is read, so a larger claim is a lie.
    if (header.dataSize > kMaxBitmapBytes)
        return failure->give("pixel data larger than 1 GiB");

    out->width = header.rowBytes / 4;
    out->height = uint32_t(header.dataSize / (4 * uint64_t(out->width)));
    out->alpha = header.colors == kColorsRgba32;
    // Zeroed, so that a short payload leaves a black tail.
    out->pixels.assign(header.dataSize, 0);
    const size_t payload = size > kHeaderSize ? size - kHeaderSize : 0;
    if (header.dataSize > 0 && payload > 0)
        std::memcpy(out->pixels.data(), data + kHeaderSize, payload < header.dataSize ? payload : header.dataSize);
    // Bytes past the last whole row belong to no pixel.
    out->pixels.resize(size_t(out->width) * out->height * 4);
    return true;
}
