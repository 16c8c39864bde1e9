// PNM: bitmaps, grey maps and pixel maps (P1 to P6), in plain text and in
// binary, with any maximum sample value from 1 to 65535. Samples become
// 8 bits as round(value x 255 / maximum); in a bitmap 1 is black.
//
// Our own decoder: stb_image reads neither bitmaps nor plain text, takes
// samples of any maximum below 256 as if it were 255, and garbles samples
// of 16 bits.
#include <cstring>
#include <new>

#include "decoders/decodeFailure.h"
#include "decoders/pnm.h"
#include "base/mappedAtOnce.h"

namespace {

bool isSpace(uint8_t c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(uint8_t c) { return c >= '0' && c <= '9'; }

/// The header fields and the plain-text samples: numbers between white
/// space and comments (a '#' to the end of its line).
class pnmText_t {
public:
    /// Refusals are given to `failure`.
    pnmText_t(const uint8_t *data, size_t size, decodeFailure_t *failure)
        : data_(data), size_(size), failure_(failure)
    {
    }

    /// Reads the next number; refuses the data when there is none. Numbers beyond 32 bits are held at UINT32_MAX + 1, which every
    /// check refuses.
    bool number(uint64_t *value)
    {
        if (!skipSpace())
            return failure_->give("PNM data ends early");
        if (!isDigit(data_[offset_]))
            return failure_->give("damaged PNM data: no number where one belongs");
        *value = 0;
        while (offset_ < size_ && isDigit(data_[offset_])) {
            *value = *value * 10 + (data_[offset_++] - '0');
            if (*value > uint64_t(UINT32_MAX) + 1)
                *value = uint64_t(UINT32_MAX) + 1;
        }
        return true;
    }

    /// A plain bitmap's next pixel: a single '0' or '1', with or without
    /// white space around it.
    bool bit(uint64_t *value)
    {
        if (!skipSpace())
            return failure_->give("PNM data ends early");
        const uint8_t c = data_[offset_++];
        if (c != '0' && c != '1')
            return failure_->give("damaged PNM data: a bitmap pixel is neither 0 nor 1");
        *value = c - '0';
        return true;
    }

    /// Steps over the one white-space byte that ends the header of a
    /// binary file.
    bool endOfHeader()
    {
        if (offset_ >= size_)
            return failure_->give("PNM data ends early");
        if (!isSpace(data_[offset_++]))
            return failure_->give("damaged PNM header");
        return true;
    }

    size_t offset() const { return offset_; }

private:
    bool skipSpace()
    {
        while (offset_ < size_) {
            if (data_[offset_] == '#') {
                while (offset_ < size_ && data_[offset_] != '\n' && data_[offset_] != '\r')
                    ++offset_;
            } else if (isSpace(data_[offset_])) {
                ++offset_;
            } else {
                return true;
            }
        }
        return false;
    }

    const uint8_t *data_;
    size_t size_;
    decodeFailure_t *failure_;
    size_t offset_ = 0;
};

struct pnmHeader_t {
    char kind;         ///< '1' to '6'
    unsigned channels; ///< 1 or 3
    uint32_t width, height, maxval;
    bool plain;  ///< samples in text
    bool bitmap; ///< P1 and P4: 1 is black
};

bool readHeader(pnmText_t *text, const uint8_t *data, pnmHeader_t *header, decodeFailure_t *failure)
{
    header->kind = char(data[1]);
    header->plain = header->kind <= '3';
    header->bitmap = header->kind == '1' || header->kind == '4';
    header->channels = header->kind == '3' || header->kind == '6' ? 3 : 1;
    uint64_t width = 0, height = 0, maxval = 1;
    if (!text->number(&width) || !text->number(&height) || (!header->bitmap && !text->number(&maxval)))
        return false;
    if (!bitmapSizeAcceptable(width, height))
        return failure->give("PNM image of %llu x %llu pixels is empty or larger than 1 GiB",
                            (unsigned long long)width, (unsigned long long)height);
    if (maxval < 1 || maxval > 65535)
        return failure->give("PNM maximum value %llu is outside 1 to 65535", (unsigned long long)maxval);
    header->width = uint32_t(width);
    header->height = uint32_t(height);
    header->maxval = uint32_t(maxval);
    return header->plain || text->endOfHeader();
}

/// The samples of a binary file, one row after another; 16-bit samples are
/// big-endian. A bitmap's rows are padded to whole bytes.
class binarySamples_t {
public:
    binarySamples_t(const pnmHeader_t &header, const uint8_t *raster)
        : header_(header), raster_(raster), wide_(header.maxval > 255)
    {
    }

    static uint64_t rasterBytes(const pnmHeader_t &header)
    {
        if (header.bitmap)
            return (uint64_t(header.width) + 7) / 8 * header.height;
        return uint64_t(header.width) * header.height * header.channels * (header.maxval > 255 ? 2 : 1);
    }

    uint32_t next()
    {
        if (header_.bitmap) {
            const uint32_t value = raster_[offset_] >> (7 - bit_) & 1;
            ++bit_;
            // Every row starts on a new byte.
            if (++column_ == header_.width) {
                column_ = 0;
                bit_ = 8;
            }
            if (bit_ == 8) {
                bit_ = 0;
                ++offset_;
            }
            return value;
        }
        const uint32_t value = wide_ ? uint32_t(raster_[offset_] << 8 | raster_[offset_ + 1]) : raster_[offset_];
        offset_ += wide_ ? 2 : 1;
        return value;
    }

private:
    const pnmHeader_t &header_;
    const uint8_t *raster_;
    bool wide_;
    size_t offset_ = 0;
    unsigned bit_ = 0;
    uint32_t column_ = 0;
};

} // namespace

bool looksLikePnm(const uint8_t *data, size_t size)
{
    return size >= 3 && data[0] == 'P' && data[1] >= '1' && data[1] <= '6' &&
           (isSpace(data[2]) || data[2] == '#');
}

bool decodePnm(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    pnmText_t text(data + 2, size - 2, failure);
    pnmHeader_t header = {};
    if (!readHeader(&text, data, &header, failure))
        return false;

    const uint64_t samples = uint64_t(header.width) * header.height * header.channels;
    const size_t left = size - 2 - text.offset();
    // Checked before the allocation, so that a few bytes cannot ask for a
    // gigabyte: each plain sample takes at least one character, and all
    // but a bitmap's one more to separate it from the next.
    const uint64_t least = header.plain ? (header.bitmap ? samples : 2 * samples - 1)
                                        : binarySamples_t::rasterBytes(header);
    if (left < least)
        return failure->give("PNM data ends early");

    bitmap->width = header.width;
    bitmap->height = header.height;
    bitmap->alpha = false;
    std::vector<uint8_t> scale;
    try {
        resizeMappedAtOnce(bitmap->pixels, size_t(header.width) * header.height * 4);
        scale.resize(size_t(header.maxval) + 1);
    } catch (const std::bad_alloc &) {
        return failure->give("out of memory");
    }
    for (uint32_t v = 0; v <= header.maxval; ++v)
        scale[v] = header.bitmap ? uint8_t(v ? 0 : 255) : uint8_t((v * 255 + header.maxval / 2) / header.maxval);

    binarySamples_t binary(header, data + size - left);
    uint8_t *out = bitmap->pixels.data();
    for (size_t pixel = 0; pixel < size_t(header.width) * header.height; ++pixel, out += 4) {
        uint8_t rgb[3];
        for (unsigned k = 0; k < header.channels; ++k) {
            uint64_t value = 0;
            if (!header.plain)
                value = binary.next();
            else if (!(header.bitmap ? text.bit(&value) : text.number(&value)))
                return false;
            if (value > header.maxval)
                return failure->give("PNM sample %llu above the maximum value %u",
                                    (unsigned long long)value, unsigned(header.maxval));
            rgb[k] = scale[value];
        }
        if (header.channels == 1)
            rgb[1] = rgb[2] = rgb[0];
        out[0] = rgb[2];
        out[1] = rgb[1];
        out[2] = rgb[0];
        out[3] = 255;
    }
    return true;
}
