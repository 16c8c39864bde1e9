#include "decoders/decodeFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <new>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

#include "decoders/colourProfile.h"
#include "decoders/decodeFailure.h"
#include "decoders/imageDecoders.h"
#include "decoders/jpeg.h"
#include "decoders/photoOrientation.h"
#include "base/mappedAtOnce.h"
#include "base/transferFully.h"

namespace {

// Files larger than any image we accept to decode are not read at all.
constexpr uint64_t kMaxFileBytes = kMaxBitmapBytes;

decodedFile_t refused(decodedFile_t file, refusedBy_t by, std::string reason)
{
    file.refusedBy = by;
    file.reason = std::move(reason);
    return file;
}

/// Closes a descriptor when it goes.
struct openedFile_t {
    int fd;
    ~openedFile_t() { ::close(fd); }
};

/// Reads the whole regular file at `path` into `content`; otherwise the
/// refusal.
std::optional<decodedFile_t> readWhole(const char *path, std::vector<uint8_t> *content)
{
    // Opening without blocking keeps a FIFO without a writer from hanging
    // the load; it is then refused with the directories and devices.
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0)
        return refused({}, refusedBy_t::opening, std::strerror(errno));
    const openedFile_t file{fd};
    struct stat info;
    if (::fstat(fd, &info) != 0)
        return refused({}, refusedBy_t::opening, std::strerror(errno));
    if (S_ISDIR(info.st_mode))
        return refused({}, refusedBy_t::opening, std::strerror(EISDIR));
    if (!S_ISREG(info.st_mode))
        return refused({}, refusedBy_t::opening, "not a regular file");

    // Room for what the file holds, so that a large file is not copied
    // again and again as the buffer doubles, nor held at twice its size.
    if (info.st_size > 0 && uint64_t(info.st_size) <= kMaxFileBytes) {
        content->reserve(size_t(info.st_size));
        mapForWriting(content->data(), size_t(info.st_size));
    }
    // Read until the end, whatever size the file had when it was opened.
    uint8_t chunk[65536];
    for (;;) {
        const off_t at = off_t(content->size());
        const ssize_t count = transferFully(sizeof chunk, [&](size_t done) {
            return ::pread(fd, chunk + done, sizeof chunk - done, at + off_t(done));
        });
        if (count < 0)
            return refused({}, refusedBy_t::decoding, "the file cannot be read");
        if (count == 0)
            return std::nullopt;
        if (content->size() + size_t(count) > kMaxFileBytes)
            return refused({}, refusedBy_t::decoding, "file larger than 1 GiB");
        content->insert(content->end(), chunk, chunk + count);
    }
}

bool wellFormed(const decodedBitmap_t &bitmap)
{
    return bitmapSizeAcceptable(bitmap.width, bitmap.height) &&
           bitmap.pixels.size() == uint64_t(bitmap.width) * bitmap.height * 4;
}

/// Decodes with one decoder into `bitmap`; empty, or the reason of its
/// refusal.
std::optional<std::string> decodeWith(const imageDecoder_t &decoder, const uint8_t *data, size_t size,
                                      decodedBitmap_t *bitmap)
{
    decodeFailure_t failure;
    bool outOfMemory = false;
    try {
        if (decoder.decode(data, size, bitmap, &failure) && wellFormed(*bitmap))
            return std::nullopt;
    } catch (const std::bad_alloc &) {
        outOfMemory = true;
    }
    if (const char *reason = failure.reason())
        return std::string(reason);
    if (outOfMemory)
        return std::string("out of memory");
    return std::string(decoder.name) + " data is damaged or not supported";
}

decodedFile_t decodeStream(const uint8_t *data, size_t size)
{
    decodedFile_t file;
    decodeFailure_t failure;
    bitmapStreamHeader_t header;
    if (readBitmapStreamHeader(data, size, &header, &failure)) {
        file.header = header;
        try {
            if (decodeBitmapStream(data, size, header, &file.bitmap, &failure))
                return file;
        } catch (const std::bad_alloc &) {
            return refused(std::move(file), refusedBy_t::memory, "out of memory");
        }
    }
    return refused(std::move(file), refusedBy_t::streamHeader, failure.reason() != nullptr ? failure.reason() : "");
}

/// The decoded pixels in true colours and upright, as the file means them
/// to be seen, with the header of their stream.
decodedFile_t shownAsMeant(decodedFile_t file)
{
    try {
        file.colourProfile = convertToSrgb(&file.bitmap);
        file.turnedFrom = exifOrientation(file.bitmap.exif);
        turnUpright(&file.bitmap, file.turnedFrom);
    } catch (const std::bad_alloc &) {
        return refused({}, refusedBy_t::decoding, "out of memory");
    }
    file.header = bitmapStreamHeaderOf(file.bitmap);
    return file;
}

} // namespace

decodedFile_t decodeFile(const char *path, leastSize_t least)
{
    std::vector<uint8_t> content;
    try {
        if (std::optional<decodedFile_t> refusal = readWhole(path, &content))
            return std::move(*refusal);
    } catch (const std::bad_alloc &) {
        return refused({}, refusedBy_t::decoding, "out of memory");
    }
    return decodeContent(content.data(), content.size(), least);
}

decodedFile_t decodeContent(const uint8_t *data, size_t size, leastSize_t least)
{
    if (size == 0)
        return refused({}, refusedBy_t::decoding, "the file is empty");
    if (looksLikeBitmapStream(data, size))
        return decodeStream(data, size);
    if (least.width > 0 && least.height > 0 && looksLikeJpeg(data, size)) {
        decodedFile_t file;
        // A refusal here is told by the ordinary decoding below.
        decodeFailure_t ignored;
        try {
            if (decodeJpegAtLeast(data, size, least.width, least.height, &file.bitmap, &ignored) &&
                wellFormed(file.bitmap))
                return shownAsMeant(std::move(file));
        } catch (const std::bad_alloc &) {
        }
    }

    std::optional<std::string> firstReason;
    for (const imageDecoder_t &decoder : imageDecoders()) {
        if (!decoder.identify(data, size))
            continue;
        decodedFile_t file;
        const std::optional<std::string> reason = decodeWith(decoder, data, size, &file.bitmap);
        if (!reason)
            return shownAsMeant(std::move(file));
        if (!firstReason)
            firstReason = reason;
    }
    return refused({}, refusedBy_t::decoding, firstReason.value_or("unknown file format"));
}
