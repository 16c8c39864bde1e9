// TGA, GIF (first frame), PSD and PNM, and whatever else stb_image reads,
// except PNG, JPEG and BMP, which have decoders of their own.
//
// stb_image silently reads zeros past the end of its input, so a truncated
// file would decode into an image with a black tail. Feeding it through
// callbacks lets us see when it wants data the file does not have: it only
// asks for more when its buffer is used up, so a request that delivers
// nothing, a skip past the end, or a short direct read into a caller's
// buffer means the file ended too early.
#include <cstdlib>
#include <cstring>
#include <new>

#include <stb/stb_image.h>

#include "platform/translators/Translator.h"
#include "platform/translators/bmpDecoder.h"

namespace {

struct stbSource_t {
    const uint8_t *data;
    size_t size;
    size_t offset;
    // stb_image refills its own small buffer through read; the first read
    // of a decode is such a refill, so later reads into another buffer are
    // direct reads of a known length.
    const char *refillBuffer;
    bool overrun;
};

int readCallback(void *user, char *out, int size)
{
    auto *source = static_cast<stbSource_t *>(user);
    if (source->refillBuffer == nullptr)
        source->refillBuffer = out;
    const size_t left = source->size - source->offset;
    size_t count = size > 0 ? size_t(size) : 0;
    if (count > left) {
        if (left == 0 || out != source->refillBuffer)
            source->overrun = true;
        count = left;
    }
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
    return int(count);
}

void skipCallback(void *user, int n)
{
    auto *source = static_cast<stbSource_t *>(user);
    if (n < 0) {
        // stb_image only skips backwards within data it has already read.
        const size_t back = size_t(-int64(n));
        source->offset = back > source->offset ? 0 : source->offset - back;
        return;
    }
    const size_t left = source->size - source->offset;
    if (size_t(n) > left) {
        source->overrun = true;
        source->offset = source->size;
        return;
    }
    source->offset += size_t(n);
}

int eofCallback(void *user)
{
    auto *source = static_cast<stbSource_t *>(user);
    return source->offset >= source->size;
}

bool hasOwnDecoder(const uint8_t *data, size_t size)
{
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};
    const bool isPng = size >= sizeof png && std::memcmp(data, png, sizeof png) == 0;
    const bool isJpeg = size >= 2 && data[0] == 0xff && data[1] == 0xd8;
    return isPng || isJpeg || looksLikeBmp(data, size);
}

// stb_image reports four components for every PSD; the header knows
// whether a fourth (alpha) channel is there.
bool hasAlpha(const uint8_t *data, size_t size, int components)
{
    static const uint8_t psd[4] = {'8', 'B', 'P', 'S'};
    if (size >= 14 && std::memcmp(data, psd, sizeof psd) == 0)
        return (data[12] << 8 | data[13]) >= 4;
    return components == 2 || components == 4;
}

bool identify(const uint8_t *data, size_t size)
{
    if (size == 0 || size > size_t(INT32_MAX) || hasOwnDecoder(data, size))
        return false;
    int width, height, components;
    return stbi_info_from_memory(data, int(size), &width, &height, &components) != 0 &&
           bitmapSizeAcceptable(uint64(width > 0 ? width : 0), uint64(height > 0 ? height : 0));
}

status_t translate(const uint8_t *data, size_t size, BPositionIO *destination)
{
    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &components) || width <= 0 ||
        height <= 0 || !bitmapSizeAcceptable(uint64(width), uint64(height)))
        return B_NO_TRANSLATOR;

    stbSource_t source = {data, size, 0, nullptr, false};
    const stbi_io_callbacks callbacks = {readCallback, skipCallback, eofCallback};
    stbi_uc *rgba = stbi_load_from_callbacks(&callbacks, &source, &width, &height, &components, 4);
    if (rgba == nullptr)
        return B_NO_TRANSLATOR;
    if (source.overrun || width <= 0 || height <= 0 ||
        !bitmapSizeAcceptable(uint64(width), uint64(height))) {
        stbi_image_free(rgba);
        return B_NO_TRANSLATOR;
    }

    decodedBitmap_t bitmap;
    bitmap.width = uint32(width);
    bitmap.height = uint32(height);
    bitmap.alpha = hasAlpha(data, size, components);
    try {
        bitmap.pixels.assign(rgba, rgba + size_t(bitmap.width) * bitmap.height * 4);
    } catch (const std::bad_alloc &) {
        stbi_image_free(rgba);
        return B_NO_MEMORY;
    }
    stbi_image_free(rgba);
    for (size_t i = 0; i < bitmap.pixels.size(); i += 4)
        std::swap(bitmap.pixels[i], bitmap.pixels[i + 2]);
    return writeBitmapStream(bitmap, destination);
}

} // namespace

const translatorAddOn_t stbTranslator = {"stb_image", identify, translate};
