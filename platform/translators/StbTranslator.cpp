// BMP through stb_image, which is built for that format alone.
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

#include "platform/translators/stbImage.h"

#include "platform/translators/Translator.h"

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

// Two or four components carry alpha.
bool hasAlpha(int components) { return components == 2 || components == 4; }

bool identify(const uint8_t *data, size_t size)
{
    if (size == 0 || size > size_t(INT32_MAX))
        return false;
    // The size is judged by translate, which can say what is wrong with it.
    int width, height, components;
    return stbi_info_from_memory(data, int(size), &width, &height, &components) != 0;
}

status_t translate(const uint8_t *data, size_t size, BPositionIO *destination)
{
    int width = 0, height = 0, components = 0;
    if (!stbi_info_from_memory(data, int(size), &width, &height, &components))
        return translationFailed("%s", stbi_failure_reason());
    if (width <= 0 || height <= 0 || !bitmapSizeAcceptable(uint64(width), uint64(height)))
        return translationFailed("image of %d x %d pixels is empty or larger than 1 GiB", width, height);
    // stb_image reads BMP without compression, so every pixel takes at
    // least a bit of the file. A file far too short for its size is refused
    // here: stb_image would read zeros past its end for every missing row.
    if (uint64(size) * 8 < uint64(width) * uint64(height))
        return translationFailed("image data ends early");

    stbSource_t source = {data, size, 0, nullptr, false};
    const stbi_io_callbacks callbacks = {readCallback, skipCallback, eofCallback};
    stbi_uc *rgba = stbi_load_from_callbacks(&callbacks, &source, &width, &height, &components, 4);
    if (rgba == nullptr)
        return source.overrun ? translationFailed("image data ends early")
                              : translationFailed("%s", stbi_failure_reason());
    if (source.overrun || width <= 0 || height <= 0 ||
        !bitmapSizeAcceptable(uint64(width), uint64(height))) {
        stbi_image_free(rgba);
        return source.overrun ? translationFailed("image data ends early")
                              : translationFailed("image of %d x %d pixels is larger than 1 GiB", width, height);
    }

    decodedBitmap_t bitmap;
    bitmap.width = uint32(width);
    bitmap.height = uint32(height);
    bitmap.alpha = hasAlpha(components);
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
