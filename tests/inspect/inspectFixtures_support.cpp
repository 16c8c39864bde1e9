#include "inspectFixtures_support.h"

#include <csetjmp>
#include <cstdio>
#include <png.h>

#include "bootfile/littleEndian.h"
#include "tools/sampleZbeos.h"

namespace {

void appendLE32(bytes_t &bytes, uint32_t value)
{
    bytes.resize(bytes.size() + 4);
    putLE32(bytes.data() + bytes.size() - 4, value);
}

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

bytes_t packRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, const bytes_t &pixels)
{
    bytes_t record;
    for (uint32_t value : {width, height, x, y})
        appendLE32(record, value);
    record.insert(record.end(), pixels.begin(), pixels.end());
    return record;
}

bytes_t packOf(const std::vector<bytes_t> &areas)
{
    bytes_t pack(8 * (areas.size() + 1), 0);
    for (size_t k = 0; k < areas.size(); ++k) {
        if (areas[k].empty())
            continue;
        putLE32(pack.data() + 8 * k, uint32_t(areas[k].size()));
        putLE32(pack.data() + 8 * k + 4, uint32_t(pack.size()));
        pack.insert(pack.end(), areas[k].begin(), areas[k].end());
    }
    return pack;
}

bytes_t screenRecord(uint32_t width, uint32_t height, uint32_t depth)
{
    bytes_t record;
    for (uint32_t value : {width, height, depth})
        appendLE32(record, value);
    return record;
}

bytes_t handPalette()
{
    bytes_t palette;
    for (unsigned i = 0; i < 256; ++i)
        palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), 128});
    return palette;
}

bytes_t handPack()
{
    return packOf({screenRecord(6, 4, 8), handPalette(), packRecord(2, 1, 3, 3, {5, 6}), {},
                   packRecord(3, 2, 0, 0, {1, 2, 3, 4, 5, 6}), packRecord(2, 1, 3, 3, {7, 7}),
                   packRecord(2, 2, 5, 2, {8, 9, 10, 11}), packRecord(1, 1, 10, 10, {13}),
                   packRecord(1, 1, 1, 1, {12})});
}

bytes_t zbeosWithPack(const bytes_t &pack)
{
    bytes_t file = makeSampleBootCode();
    const bytes_t loader = makeSampleLoader();
    const bytes_t loaderMember = makeGzipMember("beos", sampleMtime, loader.data(), loader.size());
    const bytes_t splashMember = makeGzipMember("images", sampleMtime, pack.data(), pack.size());
    file.insert(file.end(), loaderMember.begin(), loaderMember.end());
    file.insert(file.end(), splashMember.begin(), splashMember.end());
    return file;
}

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

ToolRun runInspector(const std::vector<std::string> &args, const std::string &cwd)
{
    return runTool(DAWNMARK_INSPECT_BIN, args, cwd);
}
