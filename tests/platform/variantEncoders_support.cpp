#include "variantEncoders_support.h"

#include <algorithm>
#include <map>
#include <stdexcept>

namespace {

// The distinct colours of an image in the order they appear, as red,
// green, blue, alpha packed into one number; with `ignoreAlpha` colours
// that differ only in alpha count as one.
std::vector<uint32_t> distinctColours(const rgbaImage_t &image, bool ignoreAlpha)
{
    std::vector<uint32_t> colours;
    for (size_t i = 0; i < image.rgba.size(); i += 4) {
        const uint8_t *p = &image.rgba[i];
        const uint32_t key = uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | (ignoreAlpha ? 0 : p[3]);
        if (std::find(colours.begin(), colours.end(), key) == colours.end())
            colours.push_back(key);
    }
    if (colours.size() > 256)
        throw std::runtime_error("more than 256 colours");
    return colours;
}

uint32_t indexOf(const std::vector<uint32_t> &colours, const uint8_t *p, bool ignoreAlpha)
{
    const uint32_t key = uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | (ignoreAlpha ? 0 : p[3]);
    return uint32_t(std::find(colours.begin(), colours.end(), key) - colours.begin());
}

uint32_t fiveBits(uint8_t c) { return (c * 31u + 127) / 255; }

// A TGA pixel or colour map entry as stored, before its bytes are written
// in little-endian order.
uint32_t tgaValue(const uint8_t *p, unsigned bits, bool grey)
{
    if (grey)
        return bits == 8 ? p[0] : uint32_t(p[0] | p[3] << 8);
    if (bits == 15 || bits == 16)
        return fiveBits(p[0]) << 10 | fiveBits(p[1]) << 5 | fiveBits(p[2]) | (bits == 16 && p[3] >= 128 ? 0x8000 : 0);
    return uint32_t(p[2] | p[1] << 8 | p[0] << 16) | (bits == 32 ? uint32_t(p[3]) << 24 : 0);
}

void putLittle(bytes_t &out, uint32_t value, unsigned bits)
{
    for (unsigned i = 0; i < (bits + 7) / 8; ++i)
        out.push_back(uint8_t(value >> 8 * i));
}

// Codes of a GIF image's LZW stream, packed from the least significant bit.
class gifCodes_t {
public:
    explicit gifCodes_t(unsigned width) : width_(width) {}
    void put(unsigned code)
    {
        buffer_ |= code << bits_;
        for (bits_ += width_; bits_ >= 8; bits_ -= 8, buffer_ >>= 8)
            bytes_.push_back(uint8_t(buffer_));
    }
    bytes_t finish()
    {
        if (bits_ > 0)
            bytes_.push_back(uint8_t(buffer_));
        return bytes_;
    }
    unsigned width_;

private:
    bytes_t bytes_;
    uint32_t buffer_ = 0;
    unsigned bits_ = 0;
};

bytes_t gifLzw(const bytes_t &indices, unsigned minimum, const gifLayout_t &layout)
{
    const unsigned clear = 1u << minimum;
    gifCodes_t codes(minimum + 1);
    unsigned next = clear + 2;
    std::map<uint32_t, unsigned> table;
    if (layout.initialClear)
        codes.put(clear);
    unsigned prefix = indices[0];
    for (size_t i = 1; i < indices.size(); ++i) {
        const uint32_t key = prefix << 8 | indices[i];
        const auto found = table.find(key);
        if (found != table.end()) {
            prefix = found->second;
            continue;
        }
        codes.put(prefix);
        if (next < 4096) {
            table[key] = next++;
            // The decoder adds each entry one code later, so the codes
            // widen once the entry past the current width is made.
            if (next > (1u << codes.width_) && codes.width_ < 12)
                ++codes.width_;
        } else if (!layout.deferredClear) {
            codes.put(clear);
            table.clear();
            next = clear + 2;
            codes.width_ = minimum + 1;
        }
        prefix = indices[i];
    }
    codes.put(prefix);
    codes.put(clear + 1);
    return codes.finish();
}

void putGifFrame(bytes_t &out, const bytes_t &indices, uint32_t width, uint32_t height, unsigned tableBits,
                 const gifLayout_t &layout, const bytes_t *localTable)
{
    out.push_back(',');
    put16le(out, layout.left);
    put16le(out, layout.top);
    put16le(out, width);
    put16le(out, height);
    out.push_back(uint8_t((localTable ? 0x80 | (tableBits - 1) : 0) | (layout.interlaced ? 0x40 : 0)));
    if (localTable)
        out.insert(out.end(), localTable->begin(), localTable->end());
    // Interlaced frames store every eighth row from 0, every eighth from
    // 4, every fourth from 2, then every second from 1.
    bytes_t ordered;
    const uint32_t starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    for (int pass = 0; pass < (layout.interlaced ? 4 : 1); ++pass)
        for (uint32_t r = layout.interlaced ? starts[pass] : 0; r < height; r += layout.interlaced ? steps[pass] : 1)
            ordered.insert(ordered.end(), indices.begin() + r * width, indices.begin() + (r + 1) * width);
    const unsigned minimum = std::max(2u, tableBits);
    out.push_back(uint8_t(minimum));
    const bytes_t data = gifLzw(ordered, minimum, layout);
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        out.push_back(uint8_t(n));
        out.insert(out.end(), data.begin() + i, data.begin() + i + n);
    }
    out.push_back(0);
}

bytes_t packBits(const bytes_t &row)
{
    bytes_t out;
    for (size_t i = 0; i < row.size();) {
        size_t run = 1;
        while (i + run < row.size() && run < 128 && row[i + run] == row[i])
            ++run;
        if (run > 1) {
            out.insert(out.end(), {uint8_t(257 - run), row[i]});
            i += run;
            continue;
        }
        size_t literal = 1;
        while (i + literal < row.size() && literal < 128 &&
               (i + literal + 1 == row.size() || row[i + literal] != row[i + literal + 1]))
            ++literal;
        out.push_back(uint8_t(literal - 1));
        out.insert(out.end(), row.begin() + i, row.begin() + i + literal);
        i += literal;
    }
    return out;
}

} // namespace

bytes_t encodePnm(const pnmSpec_t &spec)
{
    const bool bitmap = spec.kind == '1' || spec.kind == '4';
    const bool plain = spec.kind <= '3';
    std::string header = std::string("P") + spec.kind + "\n# written by the tests\n" + std::to_string(spec.width) +
                         " " + std::to_string(spec.height) + "\n";
    if (!bitmap)
        header += std::to_string(spec.maxval) + "\n";
    bytes_t out(header.begin(), header.end());
    const size_t perRow = spec.samples.size() / spec.height;
    for (uint32_t r = 0; r < spec.height; ++r) {
        const uint16_t *row = &spec.samples[r * perRow];
        bytes_t packed(bitmap && !plain ? (perRow + 7) / 8 : 0, 0);
        for (size_t i = 0; i < perRow; ++i) {
            if (plain) {
                // A plain bitmap's pixels need no separator.
                const std::string text = std::to_string(row[i]) + (i + 1 == perRow ? "\n" : bitmap ? "" : " ");
                out.insert(out.end(), text.begin(), text.end());
            } else if (bitmap) {
                packed[i / 8] |= uint8_t(row[i] << (7 - i % 8));
            } else {
                if (spec.maxval > 255)
                    out.push_back(uint8_t(row[i] >> 8));
                out.push_back(uint8_t(row[i]));
            }
        }
        out.insert(out.end(), packed.begin(), packed.end());
    }
    return out;
}

bytes_t encodeTga(const rgbaImage_t &image, const tgaLayout_t &layout)
{
    const unsigned type = layout.type & 7;
    const bool runLength = (layout.type & 8) != 0;
    const std::vector<uint32_t> map = type == 1 ? distinctColours(image, false) : std::vector<uint32_t>();

    bytes_t out = {layout.idLength, uint8_t(type == 1), layout.type};
    put16le(out, layout.mapFirst);
    put16le(out, uint32_t(map.size()));
    out.push_back(layout.mapBits);
    put32le(out, 0);
    put16le(out, image.width);
    put16le(out, image.height);
    out.insert(out.end(), {layout.bits, layout.descriptor});
    out.insert(out.end(), layout.idLength, 'i');
    for (uint32_t colour : map) {
        const uint8_t p[4] = {uint8_t(colour >> 24), uint8_t(colour >> 16), uint8_t(colour >> 8), uint8_t(colour)};
        putLittle(out, tgaValue(p, layout.mapBits, false), layout.mapBits);
    }

    std::vector<uint32_t> values;
    for (uint32_t i = 0; i < image.height; ++i)
        for (uint32_t j = 0; j < image.width; ++j) {
            const uint8_t *p = pixelAt(image, layout.descriptor & 0x10 ? image.width - 1 - j : j,
                                       layout.descriptor & 0x20 ? i : image.height - 1 - i);
            values.push_back(type == 1 ? layout.mapFirst + indexOf(map, p, false) : tgaValue(p, layout.bits, type == 3));
        }
    // Packets run on across rows, as many writers make them.
    for (size_t i = 0; i < values.size();) {
        size_t run = 1;
        while (runLength && i + run < values.size() && run < 128 && values[i + run] == values[i])
            ++run;
        size_t literal = 1;
        while (run == 1 && i + literal < values.size() && literal < 128 &&
               (!runLength || i + literal + 1 == values.size() || values[i + literal] != values[i + literal + 1]))
            ++literal;
        if (runLength)
            out.push_back(uint8_t(run > 1 ? 0x80 | (run - 1) : literal - 1));
        for (size_t k = 0; k < (run > 1 ? 1 : literal); ++k)
            putLittle(out, values[i + k], layout.bits);
        i += run > 1 ? run : literal;
    }
    return out;
}

bytes_t gifColourTable(const rgbaImage_t &image)
{
    const std::vector<uint32_t> colours = distinctColours(image, true);
    size_t entries = 2;
    while (entries < colours.size())
        entries *= 2;
    bytes_t table(entries * 3, 0);
    for (size_t i = 0; i < colours.size(); ++i)
        for (int k = 0; k < 3; ++k)
            table[i * 3 + k] = uint8_t(colours[i] >> (24 - 8 * k));
    return table;
}

bytes_t encodeGif(const rgbaImage_t &image, const gifLayout_t &layout)
{
    const std::vector<uint32_t> colours = distinctColours(image, true);
    const bytes_t table = gifColourTable(image);
    unsigned tableBits = 1;
    while ((3u << tableBits) < table.size())
        ++tableBits;
    bytes_t indices;
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        indices.push_back(uint8_t(indexOf(colours, &image.rgba[i], true)));

    bytes_t out = {'G', 'I', 'F', '8', '9', 'a'};
    put16le(out, layout.left + image.width + layout.margin);
    put16le(out, layout.top + image.height + layout.margin);
    out.push_back(uint8_t(layout.localTable ? 0x70 : 0xf0 | (tableBits - 1)));
    out.insert(out.end(), {layout.background, 0});
    if (!layout.localTable)
        out.insert(out.end(), table.begin(), table.end());
    if (layout.transparent >= 0)
        out.insert(out.end(), {0x21, 0xf9, 4, 1, 0, 0, uint8_t(layout.transparent), 0});
    putGifFrame(out, indices, image.width, image.height, tableBits, layout, layout.localTable ? &table : nullptr);
    if (layout.secondFrame) {
        gifLayout_t second;
        second.left = layout.left;
        second.top = layout.top;
        putGifFrame(out, bytes_t(indices.size(), 0), image.width, image.height, tableBits, second,
                    layout.localTable ? &table : nullptr);
    }
    out.push_back(';');
    return out;
}

bytes_t encodePsd(const rgbaImage_t &image, const psdLayout_t &layout)
{
    const unsigned colours = layout.mode == 1 ? 1 : 3;
    const unsigned channels = colours + (layout.alpha ? 1 : 0);
    bytes_t out = {'8', 'B', 'P', 'S', 0, 1, 0, 0, 0, 0, 0, 0};
    put16be(out, channels);
    put32be(out, image.height);
    put32be(out, image.width);
    put16be(out, layout.depth);
    put16be(out, layout.mode);
    put32be(out, 0);
    // An image resource and a layer section for the decoder to step over.
    put32be(out, 12);
    out.insert(out.end(), {'8', 'B', 'I', 'M', 0x04, 0x0c, 0, 0, 0, 0, 0, 0});
    put32be(out, 4);
    put32be(out, 0);
    put16be(out, layout.runLength ? 1 : 0);

    std::vector<bytes_t> rows;
    for (unsigned channel = 0; channel < channels; ++channel)
        for (uint32_t r = 0; r < image.height; ++r) {
            bytes_t row;
            for (uint32_t c = 0; c < image.width; ++c) {
                const uint8_t sample = pixelAt(image, c, r)[channel < colours ? channel : 3];
                row.push_back(sample);
                if (layout.depth == 16)
                    row.push_back(layout.alpha ? sample : uint8_t(c * 37 + r * 11 + channel));
            }
            rows.push_back(layout.runLength ? packBits(row) : row);
        }
    if (layout.runLength)
        for (const bytes_t &row : rows)
            put16be(out, uint32_t(row.size()));
    for (const bytes_t &row : rows)
        out.insert(out.end(), row.begin(), row.end());
    return out;
}
