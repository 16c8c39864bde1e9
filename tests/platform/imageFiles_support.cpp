#include "imageFiles_support.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <map>
#include <stdexcept>

#include <jpeglib.h>
#include <png.h>
#include <unistd.h>

#include "platform/ByteOrder.h"
#include "platform/DataIO.h"
#include "platform/TranslatorRoster.h"

void put16le(bytes_t &out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void put32le(bytes_t &out, uint32_t v)
{
    put16le(out, v & 0xffff);
    put16le(out, v >> 16);
}

void put16be(bytes_t &out, uint32_t v)
{
    out.push_back(uint8_t(v >> 8));
    out.push_back(uint8_t(v));
}

void put32be(bytes_t &out, uint32_t v)
{
    put16be(out, v >> 16);
    put16be(out, v & 0xffff);
}

const uint8_t *pixelAt(const rgbaImage_t &image, uint32_t column, uint32_t row)
{
    return image.rgba.data() + (size_t(row) * image.width + column) * 4;
}

namespace {

void appendToVector(png_structp png, png_bytep data, png_size_t length)
{
    auto *out = static_cast<bytes_t *>(png_get_io_ptr(png));
    out->insert(out->end(), data, data + length);
}

void noFlush(png_structp) {}

int channelsOf(int colorType)
{
    switch (colorType) {
    case PNG_COLOR_TYPE_GRAY:
    case PNG_COLOR_TYPE_PALETTE:
        return 1;
    case PNG_COLOR_TYPE_GRAY_ALPHA:
        return 2;
    case PNG_COLOR_TYPE_RGB:
        return 3;
    default:
        return 4;
    }
}

} // namespace

rgbaImage_t colourfulImage(uint32_t width, uint32_t height)
{
    rgbaImage_t image;
    image.width = width;
    image.height = height;
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t c = 0; c < width; ++c) {
            image.rgba.push_back(uint8_t(17 + 37 * c));
            image.rgba.push_back(uint8_t(250 - 23 * r));
            image.rgba.push_back(uint8_t(5 * (c + r) + 1));
            image.rgba.push_back(255);
        }
    return image;
}

bytes_t toBgra(const rgbaImage_t &image, bool keepAlpha)
{
    bytes_t out(image.rgba.size());
    for (size_t i = 0; i < out.size(); i += 4) {
        out[i] = image.rgba[i + 2];
        out[i + 1] = image.rgba[i + 1];
        out[i + 2] = image.rgba[i];
        out[i + 3] = keepAlpha ? image.rgba[i + 3] : 255;
    }
    return out;
}

bytes_t encodePng(const pngSpec_t &spec)
{
    bytes_t out;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    png_set_write_fn(png, &out, appendToVector, noFlush);
    png_set_IHDR(png, info, spec.width, spec.height, spec.bitDepth, spec.colorType,
                 spec.interlaced ? PNG_INTERLACE_ADAM7 : PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    std::vector<png_color> palette;
    for (size_t i = 0; i + 2 < spec.paletteRgb.size(); i += 3)
        palette.push_back({spec.paletteRgb[i], spec.paletteRgb[i + 1], spec.paletteRgb[i + 2]});
    if (!palette.empty())
        png_set_PLTE(png, info, palette.data(), int(palette.size()));
    if (!spec.paletteAlpha.empty())
        png_set_tRNS(png, info, spec.paletteAlpha.data(), int(spec.paletteAlpha.size()), nullptr);
    if (spec.grayKey) {
        png_color_16 key = {};
        key.gray = spec.grayKeyValue;
        png_set_tRNS(png, info, nullptr, 0, &key);
    }

    // Packs the samples into rows: several per byte, most significant
    // first, below 8 bits; big-endian pairs at 16.
    const size_t perRow = size_t(spec.width) * channelsOf(spec.colorType);
    const size_t rowBytes = (perRow * spec.bitDepth + 7) / 8;
    std::vector<bytes_t> rows(spec.height, bytes_t(rowBytes, 0));
    for (uint32_t r = 0; r < spec.height; ++r)
        for (size_t s = 0; s < perRow; ++s) {
            const uint16_t v = spec.samples[r * perRow + s];
            if (spec.bitDepth == 16) {
                rows[r][2 * s] = uint8_t(v >> 8);
                rows[r][2 * s + 1] = uint8_t(v);
            } else {
                const size_t bit = s * spec.bitDepth;
                rows[r][bit / 8] |= uint8_t(v << (8 - spec.bitDepth - bit % 8));
            }
        }
    std::vector<png_bytep> rowPointers;
    for (auto &row : rows)
        rowPointers.push_back(row.data());
    png_set_rows(png, info, rowPointers.data());
    png_write_png(png, info, PNG_TRANSFORM_IDENTITY, nullptr);
    png_destroy_write_struct(&png, &info);
    return out;
}

bytes_t encodePng(const rgbaImage_t &image, bool alpha)
{
    pngSpec_t spec{image.width, image.height, alpha ? PNG_COLOR_TYPE_RGBA : PNG_COLOR_TYPE_RGB,
                   8, false, {}, {}, {}};
    for (size_t i = 0; i < image.rgba.size(); ++i)
        if (alpha || i % 4 != 3)
            spec.samples.push_back(image.rgba[i]);
    return encodePng(spec);
}

bytes_t encodeBmp(const rgbaImage_t &image)
{
    const uint32_t rowBytes = (image.width * 3 + 3) & ~3u;
    const uint32_t dataSize = rowBytes * image.height;
    bytes_t out = {'B', 'M'};
    put32le(out, 54 + dataSize);
    put32le(out, 0);
    put32le(out, 54);
    put32le(out, 40);
    put32le(out, image.width);
    put32le(out, image.height);
    put16le(out, 1);
    put16le(out, 24);
    put32le(out, 0);
    put32le(out, dataSize);
    put32le(out, 2835);
    put32le(out, 2835);
    put32le(out, 0);
    put32le(out, 0);
    for (uint32_t i = 0; i < image.height; ++i) {
        const uint32_t row = image.height - 1 - i;
        for (uint32_t c = 0; c < image.width; ++c) {
            const uint8_t *p = pixelAt(image, c, row);
            out.insert(out.end(), {p[2], p[1], p[0]});
        }
        out.insert(out.end(), rowBytes - image.width * 3, 0);
    }
    return out;
}

bytes_t encodeJpeg(const rgbaImage_t &image, jpegKind_t kind)
{
    jpeg_compress_struct info;
    jpeg_error_mgr errors;
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char *buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = image.width;
    info.image_height = image.height;
    int components = 3;
    switch (kind) {
    case jpegKind_t::grey:
        info.in_color_space = JCS_GRAYSCALE;
        components = 1;
        break;
    case jpegKind_t::cmykAdobe:
        info.in_color_space = JCS_CMYK;
        components = 4;
        break;
    default:
        info.in_color_space = JCS_RGB;
        break;
    }
    info.input_components = components;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    if (kind == jpegKind_t::progressive)
        jpeg_simple_progression(&info);
    jpeg_start_compress(&info, TRUE);
    bytes_t row(size_t(image.width) * components);
    while (info.next_scanline < info.image_height) {
        for (uint32_t c = 0; c < image.width; ++c) {
            const uint8_t *p = pixelAt(image, c, info.next_scanline);
            for (int k = 0; k < components; ++k)
                row[size_t(c) * components + k] = p[k];
        }
        JSAMPROW rowPointer = row.data();
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    bytes_t out(buffer, buffer + size);
    std::free(buffer);
    return out;
}

translated_t translateBytes(const bytes_t &file)
{
    BMallocIO source;
    source.Write(file.data(), file.size());
    source.Seek(0, SEEK_SET);
    BMallocIO destination;
    translated_t result;
    BTranslatorRoster *roster = BTranslatorRoster::Default();
    const status_t status =
        roster->Translate(&source, nullptr, nullptr, &destination, B_TRANSLATOR_BITMAP, 0, nullptr);
    result.reason = roster->LastFailure();
    delete roster;
    result.streamLength = destination.BufferLength();
    if (status != B_OK || result.streamLength < kBitmapStreamHeaderSize)
        return result;
    const auto *stream = static_cast<const uint8_t *>(destination.Buffer());
    TranslatorBitmap header;
    std::memcpy(&header, stream, sizeof header);
    swap_data(B_UINT32_TYPE, &header.magic, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_RECT_TYPE, header.bounds, 16, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header.rowBytes, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header.colors, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header.dataSize, 4, B_SWAP_BENDIAN_TO_HOST);
    result.ok = header.magic == B_TRANSLATOR_BITMAP;
    result.rowBytes = header.rowBytes;
    result.colors = header.colors;
    result.dataSize = header.dataSize;
    std::memcpy(result.bounds, header.bounds, sizeof result.bounds);
    result.pixels.assign(stream + sizeof header, stream + result.streamLength);
    return result;
}
