// The translators the roster holds, and what they share: decoded pixels and
// the writer of the bitmap stream.
#pragma once

#include <vector>

#include "platform/DataIO.h"
#include "platform/TranslationErrors.h"
#include "platform/TranslatorFormats.h"

/// Whether a width x height image of 4-byte pixels is non-empty and within
/// kMaxBitmapBytes.
bool bitmapSizeAcceptable(uint64 width, uint64 height);

/// A decoded image: 4 bytes per pixel in blue, green, red, fourth-byte
/// order, rows packed top to bottom. Without alpha the fourth byte is 255.
struct decodedBitmap_t {
    uint32 width = 0;
    uint32 height = 0;
    bool alpha = false;
    std::vector<uint8_t> pixels;
};

/// Writes the header and pixels of `bitmap` as a bitmap stream (B_RGBA32 if
/// it has alpha, B_RGB32 otherwise) at the destination's position.
status_t writeBitmapStream(const decodedBitmap_t &bitmap, BPositionIO *destination);

/// Records why the translation under way is refused, in a few words of
/// its own ("PNG data ends early", "unsupported BMP compression 4"), for
/// the roster to pass on. The first reason given in a translation counts:
/// it comes from the place that found the fault. Safe to call from a C
/// library's error callback: it neither allocates nor throws. Returns
/// B_NO_TRANSLATOR, so that a translator can end with
/// `return translationFailed("...")`.
status_t translationFailed(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// The translate function of a decoder that fills a bitmap and returns B_OK
/// or the status of its refusal (given with translationFailed).
template <status_t (*decode)(const uint8_t *, size_t, decodedBitmap_t *)>
status_t translateDecoded(const uint8_t *data, size_t size, BPositionIO *destination)
{
    decodedBitmap_t bitmap;
    const status_t status = decode(data, size, &bitmap);
    return status == B_OK ? writeBitmapStream(bitmap, destination) : status;
}

/// One translator: recognises its format by content and decodes a whole
/// file held in memory. translate writes the complete stream or nothing;
/// when it refuses the data it says why with translationFailed.
struct translatorAddOn_t {
    const char *name;
    bool (*identify)(const uint8_t *data, size_t size);
    status_t (*translate)(const uint8_t *data, size_t size, BPositionIO *destination);
};

extern const translatorAddOn_t bitmapStreamTranslator;
extern const translatorAddOn_t pngTranslator;
extern const translatorAddOn_t jpegTranslator;
extern const translatorAddOn_t pnmTranslator;
extern const translatorAddOn_t gifTranslator;
extern const translatorAddOn_t psdTranslator;
extern const translatorAddOn_t tgaTranslator;
extern const translatorAddOn_t bmpTranslator;
