// PSD: the merged image of a Photoshop file, greyscale or RGB, 8 or 16
// bits per channel, raw or run-length (PackBits), with the channel after
// the colours taken as transparency. Sixteen bits keep their high byte, as
// PNG's do. Photoshop mattes partly transparent colours against white in
// the merged image; the decoder takes the matte out again.
//
// With "Maximize Compatibility" off, Photoshop writes a blank merged image
// and says in its version information that it is not the real one: such a
// file is refused rather than shown as a white or empty picture.
//
// Our own decoder: stb_image reads only RGB, garbles 16-bit run-length
// data, and takes the matte out with truncated float arithmetic.
#include <algorithm>
#include <new>

#include "decoders/byteReader.h"
#include "decoders/decodeFailure.h"
#include "decoders/psd.h"
#include "base/mappedAtOnce.h"

namespace {

struct psdHeader_t {
    uint16_t channels, depth, mode;
    uint32_t width, height;
    unsigned colours() const { return mode == 3 ? 3 : 1; }
    bool alpha() const { return channels > colours(); }
    size_t rowBytes() const { return size_t(width) * (depth / 8); }
    /// The version information says the merged image is not the real one.
    bool withoutComposite = false;
};

/// Image resource holding the version information.
constexpr uint16_t kVersionInfo = 0x0421;

/// Looks through the image resources for the version information, whose
/// fifth byte tells whether the merged image is the real one. Resources
/// that do not parse end the search: none of them is needed to decode.
bool saysWithoutComposite(const uint8_t *resources, size_t size)
{
    byteReader_t in(resources, size);
    while (in.remaining() >= 12) {
        const uint8_t *signature = in.take(4);
        if (signature[0] != '8' || signature[1] != 'B' || signature[2] != 'I' || signature[3] != 'M')
            return false;
        const uint16_t id = in.u16be();
        // A Pascal name, padded to an even length with its count byte.
        const uint8_t nameLength = in.u8();
        in.skip(nameLength % 2 == 0 ? nameLength + 1u : nameLength);
        const uint32_t length = in.u32be();
        const uint8_t *content = in.take(length);
        if (content == nullptr)
            return false;
        if (id == kVersionInfo)
            return length >= 5 && content[4] == 0;
        in.skip(length % 2);
    }
    return false;
}

bool readHeader(byteReader_t *in, psdHeader_t *h, decodeFailure_t *failure)
{
    in->skip(4);
    const uint16_t version = in->u16be();
    in->skip(6);
    h->channels = in->u16be();
    h->height = in->u32be();
    h->width = in->u32be();
    h->depth = in->u16be();
    h->mode = in->u16be();
    if (in->endedEarly())
        return failure->give("PSD data ends early");
    if (version != 1)
        return failure->give("unsupported PSD version %u", unsigned(version));
    if (h->depth != 8 && h->depth != 16)
        return failure->give("unsupported PSD depth %u", unsigned(h->depth));
    if (h->mode != 1 && h->mode != 3)
        return failure->give("unsupported PSD colour mode %u", unsigned(h->mode));
    if (h->channels < h->colours() || h->channels > 56)
        return failure->give("PSD has %u channels, %s needs %u", unsigned(h->channels),
                            h->mode == 3 ? "RGB" : "greyscale", h->colours());
    if (!bitmapSizeAcceptable(h->width, h->height))
        return failure->give("PSD image of %u x %u pixels is empty or larger than 1 GiB",
                            unsigned(h->width), unsigned(h->height));
    // Of colour mode data, image resources and layers only the version
    // information is looked at.
    in->skip(in->u32be());
    const uint32_t resourcesLength = in->u32be();
    const uint8_t *resources = in->take(resourcesLength);
    h->withoutComposite = resources != nullptr && saysWithoutComposite(resources, resourcesLength);
    in->skip(in->u32be());
    return true;
}

/// Where each row of each channel starts in the file; for run-length data
/// also how many bytes it takes.
struct psdRows_t {
    bool runLength = false;
    std::vector<size_t> start;
    std::vector<uint16_t> length;
};

bool locateRows(byteReader_t *in, const psdHeader_t &h, psdRows_t *rows, decodeFailure_t *failure)
{
    const uint16_t compression = in->u16be();
    if (compression > 1)
        return failure->give("unsupported PSD compression %u", unsigned(compression));
    rows->runLength = compression == 1;
    const size_t count = size_t(h.channels) * h.height;
    // Checked before any allocation, so that a few bytes cannot ask for a
    // gigabyte: a raw row takes its bytes, a run-length row at least its
    // byte count.
    if (in->endedEarly() || in->remaining() / (rows->runLength ? 2 : h.rowBytes()) < count)
        return failure->give("PSD data ends early");
    try {
        rows->start.resize(count);
        rows->length.resize(rows->runLength ? count : 0);
    } catch (const std::bad_alloc &) {
        return failure->give("out of memory");
    }
    for (uint16_t &length : rows->length)
        length = in->u16be();
    size_t offset = in->offset();
    for (size_t i = 0; i < count; ++i) {
        rows->start[i] = offset;
        offset += rows->runLength ? rows->length[i] : h.rowBytes();
    }
    if (offset - in->offset() > in->remaining())
        return failure->give("PSD data ends early");
    return true;
}

/// Unpacks one PackBits row; false unless it fills the row exactly with
/// exactly its bytes.
bool unpackBits(const uint8_t *in, size_t length, uint8_t *out, size_t rowBytes)
{
    size_t i = 0, o = 0;
    while (i < length) {
        const unsigned header = in[i++];
        if (header < 128) {
            const size_t n = header + 1;
            if (n > length - i || n > rowBytes - o)
                return false;
            std::copy_n(in + i, n, out + o);
            i += n;
            o += n;
        } else if (header > 128) {
            const size_t n = 257 - header;
            if (i == length || n > rowBytes - o)
                return false;
            std::fill_n(out + o, n, in[i++]);
            o += n;
        }
    }
    return o == rowBytes;
}

/// Reads the rows of one channel and passes each sample, at its full
/// depth, to `use(pixel, sample)`.
template <typename Use>
bool forEachSample(const uint8_t *data, const psdHeader_t &h, const psdRows_t &rows, unsigned channel,
                       std::vector<uint8_t> &buffer, Use use, decodeFailure_t *failure)
{
    for (uint32_t r = 0; r < h.height; ++r) {
        const size_t i = size_t(channel) * h.height + r;
        const uint8_t *row = data + rows.start[i];
        if (rows.runLength) {
            if (!unpackBits(row, rows.length[i], buffer.data(), buffer.size()))
                return failure->give("damaged PSD run-length data");
            row = buffer.data();
        }
        for (uint32_t c = 0; c < h.width; ++c)
            use(size_t(r) * h.width + c, h.depth == 8 ? row[c] : unsigned(row[2 * c] << 8 | row[2 * c + 1]));
    }
    return true;
}

/// A colour with the white matte taken out: stored = colour x a + top x
/// (1 - a), with a = alpha / top, so colour = top x (stored - top + alpha)
/// / alpha, rounded and kept within range.
unsigned unmatte(unsigned stored, unsigned alpha, unsigned top)
{
    if (alpha == 0 || alpha == top)
        return stored;
    if (stored + alpha <= top)
        return 0;
    const uint64_t colour = (uint64_t(top) * (stored + alpha - top) + alpha / 2) / alpha;
    return unsigned(std::min<uint64_t>(colour, top));
}

/// Whether every pixel is the same: the blank image that stands in for a
/// composite Photoshop did not write.
bool blank(const decodedBitmap_t &bitmap)
{
    const std::vector<uint8_t> &p = bitmap.pixels;
    for (size_t i = 4; i < p.size(); i += 4)
        if (!std::equal(p.begin() + i, p.begin() + i + 4, p.begin()))
            return false;
    return true;
}

} // namespace

bool looksLikePsd(const uint8_t *data, size_t size)
{
    return size >= 4 && data[0] == '8' && data[1] == 'B' && data[2] == 'P' && data[3] == 'S';
}

bool decodePsd(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    byteReader_t in(data, size);
    psdHeader_t h;
    psdRows_t rows;
    if (!readHeader(&in, &h, failure) || !locateRows(&in, h, &rows, failure))
        return false;

    const size_t pixels = size_t(h.width) * h.height;
    std::vector<uint8_t> buffer;
    std::vector<uint16_t> alpha;
    try {
        buffer.resize(rows.runLength ? h.rowBytes() : 0);
        alpha.resize(h.alpha() ? pixels : 0);
        resizeMappedAtOnce(bitmap->pixels, pixels * 4);
    } catch (const std::bad_alloc &) {
        return failure->give("out of memory");
    }
    bitmap->width = h.width;
    bitmap->height = h.height;
    bitmap->alpha = h.alpha();
    const unsigned top = h.depth == 8 ? 255 : 65535;
    const unsigned shift = h.depth - 8;
    uint8_t *out = bitmap->pixels.data();

    // Transparency first, at full depth, so that each colour can be
    // unmatted as it is read.
    bool read = true;
    if (h.alpha())
        read = forEachSample(data, h, rows, h.colours(), buffer, [&](size_t p, unsigned v) {
            alpha[p] = uint16_t(v);
            out[p * 4 + 3] = uint8_t(v >> shift);
        }, failure);
    else
        for (size_t p = 0; p < pixels; ++p)
            out[p * 4 + 3] = 255;
    for (unsigned channel = 0; channel < h.colours() && read; ++channel)
        read = forEachSample(data, h, rows, channel, buffer, [&](size_t p, unsigned v) {
            const uint8_t sample = uint8_t((h.alpha() ? unmatte(v, alpha[p], top) : v) >> shift);
            if (h.colours() == 1)
                out[p * 4] = out[p * 4 + 1] = out[p * 4 + 2] = sample;
            else
                out[p * 4 + 2 - channel] = sample;
        }, failure);
    if (read && h.withoutComposite && blank(*bitmap))
        return failure->give("PSD saved without its composite image: save it again with Maximize Compatibility");
    return read;
}
