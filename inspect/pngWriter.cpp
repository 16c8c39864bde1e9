#include "inspect/pngWriter.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <png.h>
#include <string>

#include "inspect/inspectError.h"

const char *const pngExistsReason = "file exists (use --force to overwrite it)";

namespace {

[[noreturn]] void fail(const char *path, const char *reason)
{
    throw inspectError_t{path, reason};
}

void writePng(const char *path, png_image &image, const void *buffer, const void *colormap,
              bool overwrite)
{
    // PNG has no empty images, and libpng counts rows in signed 32 bits.
    if (image.width == 0 || image.height == 0 || image.width > INT32_MAX / 3 ||
        image.height > INT32_MAX)
        fail(path, "image too small or too large for PNG");
    // "x" creates the file or fails if it exists, so nothing is ever
    // overwritten by a race between a test and the write.
    FILE *file = fopen(path, overwrite ? "wb" : "wbx");
    if (file == nullptr)
        fail(path, errno == EEXIST ? pngExistsReason : strerror(errno));
    const bool written = png_image_write_to_stdio(&image, file, 0, buffer, 0, colormap) != 0;
    std::string reason = written ? "" : image.message;
    png_image_free(&image);
    const bool flushed = fflush(file) == 0 && ferror(file) == 0;
    if (!flushed && reason.empty())
        reason = strerror(errno);
    if (fclose(file) != 0 && reason.empty())
        reason = strerror(errno);
    if (!reason.empty()) {
        remove(path);
        fail(path, reason.c_str());
    }
}

png_image describe(uint32_t width, uint32_t height, png_uint_32 format)
{
    png_image image;
    memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = format;
    return image;
}

} // namespace

void writeIndexedPng(const char *path, uint32_t width, uint32_t height, const uint8_t *indices,
                     const uint8_t palette[768], bool overwrite)
{
    png_image image = describe(width, height, PNG_FORMAT_RGB_COLORMAP);
    // All 256 entries, used or not, so that an index in the file is the
    // index in the pack.
    image.colormap_entries = 256;
    writePng(path, image, indices, palette, overwrite);
}

void writeRgbPng(const char *path, uint32_t width, uint32_t height, const uint8_t *rgb,
                 bool overwrite)
{
    png_image image = describe(width, height, PNG_FORMAT_RGB);
    writePng(path, image, rgb, nullptr, overwrite);
}
