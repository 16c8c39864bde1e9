#include "bmpFiles_support.h"

#include <cmath>

namespace {

void putLe(bytes_t &out, uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.push_back(uint8_t(value >> (8 * i)));
}

bytes_t infoHeader(const bmpSpec_t &spec)
{
    bytes_t info;
    putLe(info, spec.headerSize, 4);
    if (spec.headerSize == 12) {
        putLe(info, spec.width, 2);
        putLe(info, spec.height, 2);
        putLe(info, 1, 2);
        putLe(info, spec.bits, 2);
        return info;
    }
    putLe(info, spec.width, 4);
    putLe(info, spec.topDown ? uint32_t(-int64_t(spec.height)) : spec.height, 4);
    putLe(info, 1, 2);
    putLe(info, spec.bits, 2);
    putLe(info, spec.compression, 4);
    putLe(info, 0, 4);
    putLe(info, 2835, 4);
    putLe(info, 2835, 4);
    putLe(info, spec.colorsUsed, 4);
    putLe(info, 0, 4);
    const bool windows = spec.headerSize == 40 || spec.headerSize == 52 ||
                         spec.headerSize == 56 || spec.headerSize >= 108;
    const bool masksAfter = spec.headerSize == 40 && (spec.compression == 3 || spec.compression == 6);
    const int maskCount = masksAfter ? (spec.compression == 3 ? 3 : 4)
                          : windows && spec.headerSize > 40 ? (spec.headerSize == 52 ? 3 : 4)
                                                            : 0;
    for (int i = 0; i < maskCount; ++i)
        putLe(info, spec.masks[i], 4);
    if (spec.headerSize >= 108)
        putLe(info, 0x73524742, 4); // 'sRGB'
    if (!masksAfter)
        info.resize(spec.headerSize, 0);
    return info;
}

// Packed and padded to four bytes.
void putRow(bytes_t &out, const bmpSpec_t &spec, const uint32_t *pixels)
{
    bytes_t row((spec.width * spec.bits + 31) / 32 * 4, 0);
    for (uint32_t x = 0; x < spec.width; ++x) {
        const size_t bit = size_t(x) * spec.bits;
        if (spec.bits < 8)
            row[bit / 8] |= uint8_t(pixels[x] << (8 - spec.bits - bit % 8));
        else
            for (unsigned i = 0; i < spec.bits / 8u; ++i)
                row[bit / 8 + i] = uint8_t(pixels[x] >> (8 * i));
    }
    out.insert(out.end(), row.begin(), row.end());
}

// Runs of three or more pixels (for RLE4 of two alternating indices) are
// encoded; what lies between becomes a literal run when it is three or
// more pixels long, else runs of one pixel.
void putRunLengthRow(bytes_t &out, const uint32_t *p, uint32_t width, bool rle4)
{
    auto runAt = [&](uint32_t x) {
        uint32_t n = 1;
        while (x + n < width && n < 255 && p[x + n] == p[x + (rle4 ? n % 2 : 0)])
            ++n;
        return n;
    };
    auto packed = [&](uint32_t x) {
        return uint8_t(rle4 ? p[x] << 4 | (x + 1 < width ? p[x + 1] : 0) : p[x]);
    };
    for (uint32_t x = 0; x < width;) {
        const uint32_t run = runAt(x);
        if (run >= 3) {
            out.insert(out.end(), {uint8_t(run), packed(x)});
            x += run;
            continue;
        }
        uint32_t end = x;
        while (end < width && end - x < 255 && runAt(end) < 3)
            ++end;
        const uint32_t count = end - x;
        if (count < 3) {
            for (; x < end; ++x)
                out.insert(out.end(), {1, uint8_t(rle4 ? p[x] << 4 : p[x])});
            continue;
        }
        out.insert(out.end(), {0, uint8_t(count)});
        const size_t start = out.size();
        for (uint32_t i = 0; i < count; i += rle4 ? 2 : 1)
            out.push_back(rle4 && i + 1 == count ? uint8_t(p[x + i] << 4) : packed(x + i));
        if ((out.size() - start) % 2)
            out.push_back(0);
        x = end;
    }
    out.insert(out.end(), {0, 0});
}

// `spec` after `change`.
template <typename Change> bmpSpec_t with(bmpSpec_t spec, Change change)
{
    change(spec);
    return spec;
}

// Hand-made RLE: `pixels` are the indices it must give, 0 where it skips.
bmpSpec_t handMadeRle(uint16_t bits, bytes_t data, std::vector<uint32_t> pixels)
{
    bmpSpec_t spec = indexedBmpSpec(40, bits, bits == 8 ? 1 : 2, 16, 1);
    spec.width = 6;
    spec.height = 3;
    spec.runLengthData = data;
    spec.pixels = pixels;
    return spec;
}

const std::vector<uint32_t> k555 = {0x7c00, 0x03e0, 0x001f, 0};
const std::vector<uint32_t> k565 = {0xf800, 0x07e0, 0x001f, 0};
const std::vector<uint32_t> k888 = {0xff0000, 0xff00, 0xff, 0};
const std::vector<uint32_t> k8888 = {0xff0000, 0xff00, 0xff, 0xff000000};

} // namespace

bytes_t encodeBmpFile(const bmpSpec_t &spec)
{
    const bytes_t info = infoHeader(spec);
    bytes_t palette;
    for (size_t i = 0; i + 2 < spec.paletteBgr.size(); i += 3) {
        palette.insert(palette.end(), spec.paletteBgr.begin() + i, spec.paletteBgr.begin() + i + 3);
        if (spec.headerSize != 12)
            palette.push_back(0);
    }
    bytes_t data;
    if (!spec.runLengthData.empty()) {
        data = spec.runLengthData;
    } else {
        for (uint32_t i = 0; i < spec.height; ++i) {
            const uint32_t row = spec.topDown ? i : spec.height - 1 - i;
            const uint32_t *pixels = spec.pixels.data() + size_t(row) * spec.width;
            if (spec.compression == 1 || spec.compression == 2) {
                std::vector<uint32_t> padded(pixels, pixels + spec.width);
                if (spec.runLengthPadding)
                    padded.resize((spec.width * spec.bits + 31) / 32 * 32 / spec.bits, 0);
                putRunLengthRow(data, padded.data(), uint32_t(padded.size()), spec.compression == 2);
            } else {
                putRow(data, spec, pixels);
            }
        }
        if (spec.compression == 1 || spec.compression == 2)
            data.insert(data.end(), {0, 1});
    }

    const uint32_t offset = uint32_t(14 + info.size() + palette.size() + spec.gap);
    bytes_t out = {'B', 'M'};
    putLe(out, uint32_t(offset + data.size()), 4);
    putLe(out, 0, 4);
    putLe(out, offset, 4);
    out.insert(out.end(), info.begin(), info.end());
    out.insert(out.end(), palette.begin(), palette.end());
    out.insert(out.end(), spec.gap, 0xee);
    out.insert(out.end(), data.begin(), data.end());
    return out;
}

bmpSpec_t indexedBmpSpec(uint32_t headerSize, uint16_t bits, uint32_t compression,
                         uint32_t paletteSize, uint32_t indexRange)
{
    const uint32_t kWidth = 13, kHeight = 5;
    bmpSpec_t spec;
    spec.width = kWidth;
    spec.height = kHeight;
    spec.headerSize = headerSize;
    spec.bits = bits;
    spec.compression = compression;
    for (uint32_t i = 0; i < paletteSize; ++i)
        spec.paletteBgr.insert(spec.paletteBgr.end(),
                               {uint8_t(10 + 7 * i), uint8_t(200 - 3 * i), uint8_t(13 * i)});
    for (uint32_t y = 0; y < kHeight; ++y)
        for (uint32_t x = 0; x < kWidth; ++x)
            spec.pixels.push_back(x < 6 ? (y + x / 3) % indexRange : (x * 5 + y * 3) % indexRange);
    return spec;
}

bmpSpec_t packedBmpSpec(uint32_t headerSize, uint16_t bits, uint32_t compression,
                        std::vector<uint32_t> masks, uint32_t paletteSize)
{
    bmpSpec_t spec = indexedBmpSpec(headerSize, bits, compression, paletteSize, 1);
    for (size_t i = 0; i < spec.pixels.size(); ++i)
        spec.pixels[i] = i == 0 ? 0xffffffff : i == 1 ? 0 : uint32_t(i * 2654435761u);
    for (size_t i = 0; i < masks.size(); ++i)
        spec.masks[i] = masks[i];
    return spec;
}

std::vector<bmpVariant_t> bmpVariants()
{
    const auto topDown = [](bmpSpec_t &s) { s.topDown = true; };
    const auto rowPadding = [](bmpSpec_t &s) { s.runLengthPadding = true; };
    return {
        {"OS/2 1.x 4-bit", indexedBmpSpec(12, 4, 0, 16, 16), false},
        {"OS/2 1.x 8-bit", indexedBmpSpec(12, 8, 0, 256, 256), false},
        {"OS/2 1.x 8-bit, palette ends where the data starts", indexedBmpSpec(12, 8, 0, 20, 40),
         false},
        {"OS/2 1.x 24-bit", packedBmpSpec(12, 24, 0, {}), false},
        {"OS/2 2.x 64-byte 8-bit", indexedBmpSpec(64, 8, 0, 256, 256), false},
        {"OS/2 2.x 16-byte 4-bit", indexedBmpSpec(16, 4, 0, 16, 16), false},
        {"OS/2 2.x 36-byte RLE8, 30 colours", indexedBmpSpec(36, 8, 1, 30, 30), false},
        {"1-bit, one colour used",
         with(indexedBmpSpec(40, 1, 0, 1, 2), [](bmpSpec_t &s) { s.colorsUsed = 1; }), false},
        {"2-bit", indexedBmpSpec(40, 2, 0, 4, 4), false},
        {"4-bit, 5 colours used",
         with(indexedBmpSpec(40, 4, 0, 5, 16), [](bmpSpec_t &s) { s.colorsUsed = 5; }), false},
        {"8-bit top-down", with(indexedBmpSpec(40, 8, 0, 256, 256), topDown), false},
        {"8-bit, 108-byte header, gap before the data",
         with(indexedBmpSpec(108, 8, 0, 9, 9),
              [](bmpSpec_t &s) {
                  s.gap = 7;
                  s.colorsUsed = 9;
              }),
         false},
        {"RLE8", indexedBmpSpec(40, 8, 1, 256, 7), false},
        {"RLE4", indexedBmpSpec(40, 4, 2, 16, 3), false},
        {"RLE4 with literal runs", indexedBmpSpec(124, 4, 2, 16, 16), false},
        {"RLE8 rows with their padding", with(indexedBmpSpec(40, 8, 1, 256, 256), rowPadding), false},
        {"RLE4 rows with their padding", with(indexedBmpSpec(40, 4, 2, 16, 16), rowPadding), false},
        {"RLE8 delta, early end of line and of bitmap",
         handMadeRle(8, {3, 1, 0, 2, 2, 1, 1, 2, 0, 0, 0, 3, 4, 5, 6, 0, 0, 1},
                     {4, 5, 6, 0, 0, 0, 0, 0, 0, 0, 0, 2, 1, 1, 1, 0, 0, 0}),
         false},
        {"RLE4 alternating run, literal run, delta, early end of bitmap",
         handMadeRle(4, {4, 0x12, 0, 0, 0, 3, 0x34, 0x50, 0, 2, 1, 0, 1, 0x60, 0, 1},
                     {0, 0, 0, 0, 0, 0, 3, 4, 5, 0, 6, 0, 1, 2, 1, 2, 0, 0}),
         false},
        {"16-bit plain is 5-5-5", packedBmpSpec(40, 16, 0, k555), false},
        {"24-bit", packedBmpSpec(40, 24, 0, {}), false},
        {"24-bit top-down, unused palette and a gap",
         with(packedBmpSpec(40, 24, 0, {}, 3), [](bmpSpec_t &s) {
             s.topDown = true;
             s.colorsUsed = 3;
             s.gap = 10;
         }),
         false},
        {"32-bit plain: fourth byte unused", packedBmpSpec(40, 32, 0, k888), false},
        {"32-bit plain, 124-byte header: alpha mask ignored", packedBmpSpec(124, 32, 0, k8888),
         false},
        {"5-6-5 bit fields", packedBmpSpec(40, 16, 3, k565), false},
        {"4-4-4-4 alpha bit fields", packedBmpSpec(40, 16, 6, {0x0f00, 0x00f0, 0x000f, 0xf000}),
         true},
        {"5-5-5 bit fields, 52-byte header", packedBmpSpec(52, 16, 3, k555), false},
        {"1-5-5-5, 56-byte header", packedBmpSpec(56, 16, 3, {0x7c00, 0x03e0, 0x001f, 0x8000}),
         true},
        {"5-6-5, 108-byte header", packedBmpSpec(108, 16, 3, k565), false},
        {"8-8-8-8, 124-byte header and a gap",
         with(packedBmpSpec(124, 32, 3, k8888), [](bmpSpec_t &s) { s.gap = 12; }), true},
        {"10-10-10 bit fields", packedBmpSpec(40, 32, 3, {0x3ff00000, 0xffc00, 0x3ff, 0}), false},
    };
}

namespace {

uint8_t scaled(uint32_t value, uint32_t mask)
{
    if (mask == 0)
        return 0;
    const uint32_t lowest = mask & (~mask + 1);
    return uint8_t(std::lround((value & mask) / lowest * 255.0 / (mask / lowest)));
}

} // namespace

bytes_t bmpExpectedBgra(const bmpSpec_t &spec, bool alpha)
{
    bytes_t out;
    for (uint32_t v : spec.pixels) {
        if (spec.bits <= 8) {
            const bool inPalette = v < spec.paletteBgr.size() / 3;
            for (int i = 0; i < 3; ++i)
                out.push_back(inPalette ? spec.paletteBgr[v * 3 + i] : 0);
            out.push_back(255);
        } else if (spec.bits == 24) {
            out.insert(out.end(), {uint8_t(v), uint8_t(v >> 8), uint8_t(v >> 16), 255});
        } else {
            const uint32_t m = spec.bits == 16 ? 0xffff : 0xffffffff;
            out.insert(out.end(), {scaled(v & m, spec.masks[2]), scaled(v & m, spec.masks[1]),
                                   scaled(v & m, spec.masks[0]),
                                   alpha ? scaled(v & m, spec.masks[3]) : uint8_t(255)});
        }
    }
    return out;
}
