#include "decoders/decodedBitmap.h"

bool bitmapSizeAcceptable(uint64_t width, uint64_t height)
{
    // Both factors are below 2^32, so the product cannot wrap in 64 bits.
    return width > 0 && height > 0 && width <= UINT32_MAX && height <= UINT32_MAX &&
           width * height <= kMaxBitmapBytes / 4;
}
