#include "bmpFiles_support.h"

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
    if ((windows && spec.headerSize > 40) || masksAfter)
        for (int i = 0; i < (masksAfter ? (spec.compression == 3 ? 3 : 4) : (spec.headerSize == 52 ? 3 : 4)); ++i)
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
            }
            else
                putRow(data, spec, pixels);
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

uint32_t bmpDataOffset(const bytes_t &file)
{
    return uint32_t(file[10] | file[11] << 8 | file[12] << 16 | uint32_t(file[13]) << 24);
}
