#include "imaging/pngEncoder.h"

#include <climits>
#include <cstring>
#include <png.h>
#include <string>

#include "diagnostics/errors.h"
#include "imaging/previewMark.h"

namespace {

[[noreturn]] void fail(const char *reason) { throw dawnmarkError_t("png", reason); }

png_image describe(uint32_t width, uint32_t height, png_uint_32 format)
{
    // PNG has no empty images, and libpng counts rows in signed 32 bits.
    if (width == 0 || height == 0 || width > INT32_MAX / 3 || height > INT32_MAX)
        fail("image too small or too large for PNG");
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    return image;
}

std::vector<uint8_t> encode(png_image &image, const void *buffer, const void *colormap)
{
    // The bound holds every stream libpng can make of the image, so one
    // pass suffices; the file is then cut to its length.
    png_alloc_size_t length = PNG_IMAGE_PNG_SIZE_MAX(image);
    std::vector<uint8_t> file(length);
    const bool written =
        png_image_write_to_memory(&image, file.data(), &length, 0, buffer, 0, colormap) != 0;
    const std::string reason = written ? "" : image.message;
    png_image_free(&image);
    if (!written)
        fail(reason.c_str());
    file.resize(length);
    return file;
}

} // namespace

std::vector<uint8_t> encodeIndexedPng(uint32_t width, uint32_t height, const uint8_t *indices,
                                      const uint8_t palette[kPaletteBytes])
{
    png_image image = describe(width, height, PNG_FORMAT_RGB_COLORMAP);
    image.colormap_entries = 256;
    return encode(image, indices, palette);
}

std::vector<uint8_t> encodePreviewPng(uint32_t width, uint32_t height, const uint8_t *rgb, bool quick)
{
    png_image image = describe(width, height, PNG_FORMAT_RGB);
    if (quick)
        image.flags |= PNG_IMAGE_FLAG_FAST;
    std::vector<uint8_t> png = encode(image, rgb, nullptr);
    // libpng's simplified interface writes no text chunks: the mark is put
    // in afterwards.
    markAsPreview(&png);
    return png;
}
