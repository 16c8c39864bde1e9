#include "platform/BitmapStream.h"

#include <cstdio>
#include <cstring>

#include "platform/ByteOrder.h"
#include "platform/GraphicsDefs.h"
#include "platform/TranslatorFormats.h"

bool looksLikeBitmapStream(const uint8_t *data, size_t size)
{
    static const uint8_t magic[4] = {'b', 'i', 't', 's'};
    static const uint8_t swapped[4] = {'s', 't', 'i', 'b'};
    return size >= sizeof magic &&
           (std::memcmp(data, magic, sizeof magic) == 0 || std::memcmp(data, swapped, sizeof swapped) == 0);
}

bool bitmapWellFormed(const decodedBitmap_t &bitmap)
{
    return bitmapSizeAcceptable(bitmap.width, bitmap.height) &&
           bitmap.pixels.size() == uint64(bitmap.width) * bitmap.height * 4;
}

status_t writeBitmapStream(const decodedBitmap_t &bitmap, BPositionIO *destination)
{
    if (!bitmapWellFormed(bitmap))
        return B_BAD_VALUE;

    TranslatorBitmap header;
    header.magic = B_TRANSLATOR_BITMAP;
    header.bounds[0] = 0;
    header.bounds[1] = 0;
    header.bounds[2] = float(bitmap.width - 1);
    header.bounds[3] = float(bitmap.height - 1);
    header.rowBytes = bitmap.width * 4;
    header.colors = bitmap.alpha ? B_RGBA32 : B_RGB32;
    header.dataSize = uint32(bitmap.pixels.size());
    swap_data(B_UINT32_TYPE, &header.magic, 4, B_SWAP_HOST_TO_BENDIAN);
    swap_data(B_RECT_TYPE, header.bounds, sizeof header.bounds, B_SWAP_HOST_TO_BENDIAN);
    swap_data(B_UINT32_TYPE, &header.rowBytes, 4, B_SWAP_HOST_TO_BENDIAN);
    swap_data(B_UINT32_TYPE, &header.colors, 4, B_SWAP_HOST_TO_BENDIAN);
    swap_data(B_UINT32_TYPE, &header.dataSize, 4, B_SWAP_HOST_TO_BENDIAN);
    uint8_t bytes[kBitmapStreamHeaderSize];
    std::memcpy(bytes, &header, sizeof bytes);

    // The pixels go first, behind room for the header: a stream that runs
    // out of memory there has nothing written, where a header alone would
    // announce pixels that are not there.
    const off_t start = destination->Position();
    const off_t pixels = start + off_t(sizeof bytes);
    const ssize_t count = destination->WriteAt(pixels, bitmap.pixels.data(), bitmap.pixels.size());
    if (count != ssize_t(bitmap.pixels.size()))
        return count < 0 ? status_t(count) : B_IO_ERROR;
    if (destination->WriteAt(start, bytes, sizeof bytes) != ssize_t(sizeof bytes))
        return B_IO_ERROR;
    destination->Seek(pixels + off_t(bitmap.pixels.size()), SEEK_SET);
    return B_OK;
}
