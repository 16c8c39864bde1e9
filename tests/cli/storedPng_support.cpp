#include "storedPng_support.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <png.h>

namespace {

// Kept apart from readStoredPng so that no object with a destructor lives
// in the frame that libpng may jump out of.
bool readInto(FILE *file, storedPng_t *png)
{
    png_structp reader = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(reader);
    if (setjmp(png_jmpbuf(reader))) {
        png_destroy_read_struct(&reader, &info, nullptr);
        return false;
    }
    png_init_io(reader, file);
    png_read_png(reader, info, PNG_TRANSFORM_PACKING, nullptr);
    png->width = png_get_image_width(reader, info);
    png->height = png_get_image_height(reader, info);
    png->colorType = png_get_color_type(reader, info);
    png->bitDepth = png_get_bit_depth(reader, info);
    const size_t rowBytes = png_get_rowbytes(reader, info);
    png_bytepp rows = png_get_rows(reader, info);
    png->samples.resize(rowBytes * png->height);
    for (uint32_t row = 0; row < png->height; ++row)
        std::copy(rows[row], rows[row] + rowBytes, png->samples.begin() + row * rowBytes);
    png_colorp entries = nullptr;
    int count = 0;
    if (png_get_PLTE(reader, info, &entries, &count) != 0)
        for (int i = 0; i < count; ++i)
            png->palette.insert(png->palette.end(), {entries[i].red, entries[i].green, entries[i].blue});
    png_destroy_read_struct(&reader, &info, nullptr);
    return true;
}

} // namespace

storedPng_t readStoredPng(const std::string &path)
{
    storedPng_t png;
    FILE *file = fopen(path.c_str(), "rb");
    if (file == nullptr)
        return png;
    png.ok = readInto(file, &png);
    fclose(file);
    return png;
}
