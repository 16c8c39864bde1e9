// Stand-in for the published bitmap stream format of the original
// platform's Translation Kit.
#pragma once

#include "platform/SupportDefs.h"

/// Type code of the bitmap stream, and its magic.
enum : uint32 { B_TRANSLATOR_BITMAP = fourCharCode("bits") };

/// Size of the bitmap stream header that precedes the pixel data.
constexpr size_t kBitmapStreamHeaderSize = 32;

/// The bitmap stream header. On the stream every field is big-endian.
struct TranslatorBitmap {
    uint32 magic;
    float bounds[4]; ///< left, top, right, bottom (inclusive)
    uint32 rowBytes;
    uint32 colors;   ///< a color_space
    uint32 dataSize; ///< bytes of pixel data after the header
};
static_assert(sizeof(TranslatorBitmap) == kBitmapStreamHeaderSize, "the header is 32 packed bytes");
