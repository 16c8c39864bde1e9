// An image file read whole and decoded: which file is read, in which order
// the formats are tried, and why a file gives no pixels.
#pragma once

#include <optional>
#include <string>

#include "decoders/bitmapStream.h"
#include "decoders/decodedBitmap.h"

/// The step that refused a file, which decides how the refusal is told.
enum class refusedBy_t {
    nothing,      ///< the file was decoded
    opening,      ///< it cannot be opened, or is not a regular file
    decoding,     ///< it cannot be read whole, or no decoder takes it
    streamHeader, ///< it is a bitmap stream whose header is refused
    memory,       ///< it is a bitmap stream whose pixels do not fit in memory
};

/// The least size an image is needed in, when it will be zoomed down to it
/// anyway; 0 x 0: as it is stored.
struct leastSize_t {
    uint32_t width = 0;
    uint32_t height = 0;
};

/// What a file gave: its pixels, or the step that refused it and why.
struct decodedFile_t {
    decodedBitmap_t bitmap;
    /// What the file states of its pixels: a bitmap stream's header as read,
    /// also when it is then refused; for any other format, the header a
    /// stream of the decoded pixels would carry. Missing when neither is
    /// there.
    std::optional<bitmapStreamHeader_t> header;
    refusedBy_t refusedBy = refusedBy_t::nothing;
    /// Why, in a few words: the system's text ("No such file or
    /// directory"), "not a regular file", "the file is empty", "unknown file
    /// format" or the decoder's own ("PNM data ends early").
    std::string reason;
    /// The EXIF orientation the pixels were turned upright from; 1 when
    /// they were stored upright.
    unsigned turnedFrom = 1;
    /// What became of an embedded colour profile, for the trace; empty
    /// without one.
    std::string colourProfile;
};

/// Reads the regular file at `path`, of at most 1 GiB, and decodes it as
/// decodeContent does. A directory, device or FIFO is refused before it is
/// read (a FIFO without a writer does not block).
decodedFile_t decodeFile(const char *path, leastSize_t least = leastSize_t());

/// Decodes a whole file held in memory, recognised by its content: a bitmap
/// stream first, then every decoder of imageDecoders() that recognises it,
/// in their order, until one succeeds; a refusal gives the reason of the
/// first of them, which is the decoder made for the format rather than a
/// general one. Given a least size, a JPEG is decoded at the smallest of its
/// reduced scales still at least that large (decodeJpegAtLeast); one that
/// this refuses takes the ordinary decode, which gives the reason. Decoded
/// pixels are then converted from an embedded colour profile to sRGB and
/// turned upright as the EXIF orientation says.
decodedFile_t decodeContent(const uint8_t *data, size_t size, leastSize_t least = leastSize_t());
