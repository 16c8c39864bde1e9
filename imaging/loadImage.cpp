#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "base/transferFully.h"
#include "decoders/decodedBitmap.h"
#include "decoders/jpeg.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"
#include "imaging/loadImage.h"
#include "platform/ByteOrder.h"
#include "platform/DataIO.h"
#include "platform/File.h"
#include "platform/GraphicsDefs.h"
#include "platform/TranslatorFormats.h"
#include "platform/TranslatorRoster.h"

namespace {

const char *const kLoadError = "LoadImage error";

// Reads the header fields one by one so that no field depends on how the
// compiler lays out the struct.
bool readHeader(BMallocIO *stream, TranslatorBitmap *header)
{
    uint8_t bytes[kBitmapStreamHeaderSize];
    if (stream->Read(bytes, sizeof bytes) != ssize_t(sizeof bytes))
        return false;
    std::memcpy(&header->magic, bytes, 4);
    std::memcpy(header->bounds, bytes + 4, 16);
    std::memcpy(&header->rowBytes, bytes + 20, 4);
    std::memcpy(&header->colors, bytes + 24, 4);
    std::memcpy(&header->dataSize, bytes + 28, 4);
    swap_data(B_INT32_TYPE, &header->magic, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_RECT_TYPE, header->bounds, 16, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header->rowBytes, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header->colors, 4, B_SWAP_BENDIAN_TO_HOST);
    swap_data(B_UINT32_TYPE, &header->dataSize, 4, B_SWAP_BENDIAN_TO_HOST);
    return true;
}

loadedImage_t unpackBitmapStream(BMallocIO *stream)
{
    loadedImage_t image;
    stream->Seek(0, SEEK_SET);

    TranslatorBitmap header;
    // A failed translation leaves less than a header behind.
    if (!readHeader(stream, &header))
        throw imgtoolsError_t(kLoadError, "");
    if (header.magic != B_TRANSLATOR_BITMAP)
        throw imgtoolsError_t(kLoadError, "not a bitmap stream (wrong magic)");

    TRACE(1, "RowBytes: %d\n", header.rowBytes);
    TRACE(1, "Colors  : %x\n", header.colors);
    TRACE(0, "DataSize: %d\n", header.dataSize);

    if (header.colors != B_RGB32 && header.colors != B_RGBA32)
        throw imgtoolsError_t(kLoadError, "colour space is neither B_RGB32 nor B_RGBA32");
    // Less than one pixel per row would make an image of width 0 whose
    // height cannot be derived from the data size.
    if (header.rowBytes < 4)
        throw imgtoolsError_t(kLoadError, "row size is smaller than one pixel");

    // The header alone decides the allocation: a few bytes may claim 4 GiB.
    // No translator makes a bitmap larger than kMaxBitmapBytes, and the
    // roster reads no file larger than that, so a larger claim is a lie.
    if (header.dataSize > kMaxBitmapBytes)
        throw imgtoolsError_t(kLoadError, "pixel data larger than 1 GiB");

    image.width = header.rowBytes / 4;
    image.height = header.dataSize / (4 * uint64(image.width));
    image.hasAlpha = header.colors == B_RGBA32;
    // Zeroed, so that a short payload leaves a black tail.
    image.pixels.assign(header.dataSize, 0);
    TRACE(0, "Geometry: %dx%d\n", image.width, image.height);

    stream->Read(image.pixels.data(), header.dataSize);
    // Bytes past the last whole row belong to no pixel.
    image.pixels.resize(size_t(image.width) * image.height * 4);
    return image;
}

/// The record of a decoded image, its pixels taken over as they are; traced
/// as the bitmap stream the decoder would have written.
loadedImage_t imageOfBitmap(decodedBitmap_t *bitmap)
{
    TRACE(1, "RowBytes: %d\n", bitmap->width * 4);
    TRACE(1, "Colors  : %x\n", unsigned(bitmap->alpha ? B_RGBA32 : B_RGB32));
    TRACE(0, "DataSize: %d\n", unsigned(bitmap->pixels.size()));
    loadedImage_t image;
    image.width = bitmap->width;
    image.height = bitmap->height;
    image.hasAlpha = bitmap->alpha;
    image.pixels.swap(bitmap->pixels);
    TRACE(0, "Geometry: %dx%d\n", image.width, image.height);
    return image;
}

/// The decoded image, or else the one the bitmap stream held in `stream`
/// describes, from its start.
loadedImage_t handleImage(decodedBitmap_t *decoded, BMallocIO *stream)
{
    traceStep_t step;
    if (!decoded->pixels.empty())
        return imageOfBitmap(decoded);
    return unpackBitmapStream(stream);
}

/// Says at level 1, at the depth of the load's own lines, why the file gave
/// no image: the file's open status if it could not be opened, otherwise
/// the roster's reason.
void traceRefusal(const char *path, status_t fileStatus, const char *reason)
{
    traceStep_t step;
    if (fileStatus == B_OK)
        TRACE(1, "cannot decode %s: %s\n", path, reason);
    else if (fileStatus == B_BAD_VALUE)
        TRACE(1, "cannot open %s: not a regular file\n", path);
    else
        TRACE(1, "cannot open %s: %s\n", path, std::strerror(-fileStatus));
}

/// The whole of a regular file that starts as a JPEG does; false for any
/// other file and for one that cannot be read.
bool readJpegFile(const char *path, std::vector<uint8_t> *content)
{
    const int file = open(path, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return false;
    const auto readFully = [&](size_t size) {
        content->resize(size);
        return transferFully(size, [&](size_t done) {
                   return pread(file, content->data() + done, size - done, off_t(done));
               }) == ssize_t(size);
    };
    // The signature first: another file is read whole only by the ordinary load.
    struct stat status;
    const bool read = fstat(file, &status) == 0 && S_ISREG(status.st_mode) &&
                      uint64_t(status.st_size) <= kMaxBitmapBytes && readFully(3) &&
                      looksLikeJpeg(content->data(), 3) && readFully(size_t(status.st_size));
    close(file);
    return read;
}

} // namespace

loadedImage_t loadImageAtLeast(const char *path, uint32_t minWidth, uint32_t minHeight)
{
    // Any other file, and a JPEG that the reduced decode refuses, takes the
    // ordinary load, which gives the reasons.
    std::vector<uint8_t> content;
    decodedBitmap_t decoded;
    if (readJpegFile(path, &content) &&
        decodeJpegAtLeast(content.data(), content.size(), minWidth, minHeight, &decoded)) {
        traceStep_t step;
        return imageOfBitmap(&decoded);
    }
    return loadImage(path);
}

loadedImage_t loadImage(const char *path)
{
    std::unique_ptr<BTranslatorRoster> roster(BTranslatorRoster::Default());
    std::unique_ptr<BFile> file(new BFile(path, B_READ_ONLY));
    std::unique_ptr<BMallocIO> stream(new BMallocIO());
    // Decoded pixels go straight into the record; only a file that is a
    // bitmap stream already comes through the stream. A failed translation
    // leaves both empty, which handleImage reports; the reason only goes to
    // the trace, so that the error line stays as it is.
    decodedBitmap_t decoded;
    if (roster->Decode(file.get(), stream.get(), &decoded) != B_OK)
        traceRefusal(path, file->InitCheck(), roster->LastFailure());
    return handleImage(&decoded, stream.get());
}
