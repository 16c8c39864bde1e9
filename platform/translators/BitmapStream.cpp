#include "platform/ByteOrder.h"
#include "platform/GraphicsDefs.h"
#include "platform/TranslatorFormats.h"
#include "platform/translators/Translator.h"

#include <cstring>

bool bitmapSizeAcceptable(uint64 width, uint64 height)
{
    // Both factors are below 2^32, so the product cannot wrap in 64 bits.
    return width > 0 && height > 0 && width <= UINT32_MAX && height <= UINT32_MAX &&
           width * height <= kMaxBitmapBytes / 4;
}

status_t writeBitmapStream(const decodedBitmap_t &bitmap, BPositionIO *destination)
{
    if (!bitmapSizeAcceptable(bitmap.width, bitmap.height) ||
        bitmap.pixels.size() != uint64(bitmap.width) * bitmap.height * 4)
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
    if (destination->Write(bytes, sizeof bytes) != ssize_t(sizeof bytes))
        return B_IO_ERROR;
    if (destination->Write(bitmap.pixels.data(), bitmap.pixels.size()) !=
        ssize_t(bitmap.pixels.size()))
        return B_IO_ERROR;
    return B_OK;
}
