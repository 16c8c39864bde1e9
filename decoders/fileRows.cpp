#include "decoders/fileRows.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "decoders/jpeg.h"
#include "decoders/photoOrientation.h"
#include "decoders/png.h"

fileRows_t::fileRows_t(int fd, std::unique_ptr<rowDecoder_t> rows, unsigned orientation)
    : fd_(fd), rows_(std::move(rows)), colour_(rows_->picture), turnedFrom_(orientation)
{
    // A partial last column lands on the left, where it counts as whole,
    // as turnUpright has it.
    if (turnedFrom_ == kMirroredOrientation)
        rows_->picture.overhangRight = 0;
}

fileRows_t::~fileRows_t()
{
    rows_.reset();
    ::close(fd_);
}

bool fileRows_t::readRow(uint8_t *row)
{
    if (!rows_->readRow(row, &ignored_))
        return false;
    colour_.convert(row, rows_->picture.width, 1);
    if (turnedFrom_ == kMirroredOrientation) {
        uint32_t *pixels = reinterpret_cast<uint32_t *>(row);
        std::reverse(pixels, pixels + rows_->picture.width);
    }
    return true;
}

bool fileRows_t::finish()
{
    return rows_->finish(&ignored_) && exifOrientation(rows_->picture.exif) == turnedFrom_;
}

std::unique_ptr<fileRows_t> openFileRows(const char *path, leastSize_t least)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return nullptr;
    struct stat info;
    uint8_t start[8];
    decodeFailure_t ignored;
    std::unique_ptr<rowDecoder_t> rows;
    // As decodeContent: a least size of nothing is the picture as stored.
    const bool reduced = least.width > 0 && least.height > 0;
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode) && uint64_t(info.st_size) <= kMaxBitmapBytes &&
         ::pread(fd, start, sizeof start, 0) == sizeof start) {
        if (looksLikePng(start, sizeof start))
            rows = openPngRows(fd, &ignored);
        else if (looksLikeJpeg(start, sizeof start))
            rows = reduced ? openJpegRows(fd, least.width, least.height, &ignored)
                           : openJpegRows(fd, UINT32_MAX, UINT32_MAX, &ignored);
    }
    // A photo stored turned is turned as a whole (turnUpright): its first
    // row upright is a column, or the last row, of the file's.
    const unsigned orientation = rows != nullptr ? exifOrientation(rows->picture.exif) : 1;
    if (rows == nullptr || !uprightByRows(orientation)) {
        ::close(fd);
        return nullptr;
    }
    return std::unique_ptr<fileRows_t>(new fileRows_t(fd, std::move(rows), orientation));
}
