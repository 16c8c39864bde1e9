// A picture decoded a row at a time, so that one that is zoomed down as it
// is read is never held whole.
#pragma once

#include <cstdint>
#include <cstdio>

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"

/// A picture being decoded, top row first, in the pixel format of
/// decodedBitmap_t.
class rowDecoder_t {
public:
    virtual ~rowDecoder_t() = default;
    /// Decodes the next row into `row` (picture.width * 4 bytes); false,
    /// with the reason, when the data is damaged. Called picture.height
    /// times at most.
    virtual bool readRow(uint8_t *row, decodeFailure_t *failure) = 0;
    /// After the last row: reads what follows the pixels (a PNG's EXIF
    /// block may be written after them) and checks that the data ends as
    /// it should; false, with the reason, when it does not.
    virtual bool finish(decodeFailure_t *failure) = 0;

    /// What is known once the header is read: the size, alpha, overhang,
    /// EXIF block and colour profile. Its pixels stay empty.
    decodedBitmap_t picture;
};

/// The file open at `fd` as a stream of its own, from where `fd` stands,
/// read 64 KiB at a time (a tenth of the calls of the library's default);
/// null when it cannot be made. The descriptor stays the caller's.
std::FILE *streamOfDescriptor(int fd);
