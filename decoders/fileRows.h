// An image file decoded a row at a time into true colours, for a picture
// that is zoomed down as it is read and so never held whole.
#pragma once

#include <memory>
#include <string>

#include "decoders/colourProfile.h"
#include "decoders/decodeFile.h"
#include "decoders/rowDecoder.h"

/// The rows of a PNG or JPEG file as decodeFile gives them (at the same
/// reduced scale, converted from the same colour profile, mirrored as the
/// EXIF orientation says), top to bottom.
class fileRows_t {
public:
    /// `orientation` is the EXIF orientation of the picture `rows` decodes.
    fileRows_t(int fd, std::unique_ptr<rowDecoder_t> rows, unsigned orientation);
    ~fileRows_t();
    fileRows_t(const fileRows_t &) = delete;
    fileRows_t &operator=(const fileRows_t &) = delete;

    /// The next row, picture().width * 4 bytes; false when the data is
    /// damaged.
    bool readRow(uint8_t *row);
    /// After the last row: false when the data does not end well, or when
    /// an EXIF block after the pixels tells another orientation.
    bool finish();
    /// The EXIF orientation the rows are turned upright from: 1, or 2 (each
    /// row mirrored).
    unsigned turnedFrom() const { return turnedFrom_; }

    /// The size, alpha and overhang; its pixels stay empty.
    const decodedBitmap_t &picture() const { return rows_->picture; }
    /// What became of the colour profile, for the trace.
    const std::string &colourProfile() const { return colour_.said(); }

private:
    const int fd_;
    std::unique_ptr<rowDecoder_t> rows_;
    const srgbConversion_t colour_;
    const unsigned turnedFrom_;
    decodeFailure_t ignored_;
};

/// The file at `path` opened to be decoded row by row, or null when
/// decodeFile is to read it whole: a file that cannot be opened, or of
/// another format, or a picture that cannot be given row by row (an
/// interlaced PNG, a CMYK JPEG, a photo that is not upright as stored),
/// and any damaged one. Only the whole decode tells why a file gives no
/// image.
std::unique_ptr<fileRows_t> openFileRows(const char *path, leastSize_t least);
