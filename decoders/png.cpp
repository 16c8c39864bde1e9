// PNG through libpng. libpng reports errors by longjmp; the decoding
// function below therefore holds no object with a destructor of its own
// and keeps everything it owns in the caller's frame.
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include <png.h>

#include "decoders/decodeFailure.h"
#include "decoders/png.h"
#include "base/mappedAtOnce.h"

namespace {

struct pngSource_t {
    const uint8_t *data;
    size_t size;
    size_t offset;
    decodeFailure_t *failure;
};

struct pngFileSource_t {
    std::FILE *file;
    decodeFailure_t *failure;
};

struct pngDecode_t {
    decodedBitmap_t bitmap;
    std::vector<png_bytep> rows;
};

/// The file read a buffer at a time, for a picture decoded row by row.
void readFromFile(png_structp png, png_bytep out, png_size_t length)
{
    auto *source = static_cast<pngFileSource_t *>(png_get_io_ptr(png));
    if (std::fread(out, 1, length, source->file) != length) {
        source->failure->give("PNG data ends early");
        png_error(png, "truncated file");
    }
}

void readFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto *source = static_cast<pngSource_t *>(png_get_io_ptr(png));
    if (length > source->size - source->offset) {
        source->failure->give("PNG data ends early");
        png_error(png, "truncated file");
    }
    std::memcpy(out, source->data + source->offset, length);
    source->offset += length;
}

[[noreturn]] void onError(png_structp png, png_const_charp message)
{
    static_cast<decodeFailure_t *>(png_get_error_ptr(png))->give("damaged PNG: %s", message);
    png_longjmp(png, 1);
}

void onWarning(png_structp, png_const_charp) {}

// Sizes the buffers once the header is known; false when the image is too
// large or memory runs out. Called between libpng calls, never from inside
// libpng, so the exception cannot cross a C frame.
bool prepareBuffers(pngDecode_t *decode, png_uint_32 width, png_uint_32 height, bool alpha, decodeFailure_t *failure)
{
    if (!bitmapSizeAcceptable(width, height)) {
        failure->give("PNG image of %u x %u pixels is larger than 1 GiB", unsigned(width),
                     unsigned(height));
        return false;
    }
    try {
        decode->bitmap.width = width;
        decode->bitmap.height = height;
        decode->bitmap.alpha = alpha;
        resizeMappedAtOnce(decode->bitmap.pixels, size_t(width) * height * 4);
        decode->rows.resize(height);
    } catch (const std::bad_alloc &) {
        failure->give("out of memory");
        return false;
    }
    for (png_uint_32 r = 0; r < height; ++r)
        decode->rows[r] = decode->bitmap.pixels.data() + size_t(r) * width * 4;
    return true;
}

/// Copies the EXIF block and the colour profile the file holds (libpng
/// has checked both and left out what it finds damaged); false when
/// memory runs out.
bool takePhotoChunks(png_structp png, png_infop info, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    png_bytep exif = nullptr;
    png_uint_32 exifLength = 0;
    png_charp name = nullptr;
    int compression = 0;
    png_bytep profile = nullptr;
    png_uint_32 profileLength = 0;
    try {
        if (png_get_eXIf_1(png, info, &exifLength, &exif) != 0)
            bitmap->exif.assign(exif, exif + exifLength);
        if (png_get_iCCP(png, info, &name, &compression, &profile, &profileLength) != 0)
            bitmap->iccProfile.assign(profile, profile + profileLength);
    } catch (const std::bad_alloc &) {
        failure->give("out of memory");
        return false;
    }
    return true;
}

/// Asks libpng for blue, green, red and a fourth byte, after the header is
/// read; whether the picture has alpha.
bool setUpPixelFormat(png_structp png, png_infop info)
{
    const png_byte colorType = png_get_color_type(png, info);
    const bool alpha = (colorType & PNG_COLOR_MASK_ALPHA) != 0 ||
                       png_get_valid(png, info, PNG_INFO_tRNS) != 0;
    // Everything becomes 8-bit blue, green, red and a fourth byte. Sixteen
    // bits keep their high byte, as the other decoders do.
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    if (!alpha)
        png_set_filler(png, 0xff, PNG_FILLER_AFTER);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return alpha;
}

bool decodeInto(const uint8_t *data, size_t size, pngDecode_t *decode, decodeFailure_t *failure)
{
    pngSource_t source = {data, size, 0, failure};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, failure, onError, onWarning);
    if (png == nullptr)
        return false;
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }

    png_set_read_fn(png, &source, readFromMemory);
    png_set_user_limits(png, 0x7fffffff, 0x7fffffff);
    png_read_info(png, info);

    const bool alpha = setUpPixelFormat(png, info);

    const png_uint_32 width = png_get_image_width(png, info);
    const png_uint_32 height = png_get_image_height(png, info);
    if (png_get_rowbytes(png, info) != png_size_t(width) * 4 ||
        !prepareBuffers(decode, width, height, alpha, failure)) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_read_image(png, decode->rows.data());
    // Reading the end catches files cut short after the image data, and
    // an EXIF block written after it.
    png_read_end(png, info);
    const bool taken = takePhotoChunks(png, info, &decode->bitmap, failure);
    png_destroy_read_struct(&png, &info, nullptr);
    return taken;
}

/// A non-interlaced PNG file decoded row by row. The functions that call
/// libpng keep no object with a destructor, as decodeInto.
class pngRows_t final : public rowDecoder_t {
public:
    ~pngRows_t() override
    {
        if (png_ != nullptr)
            png_destroy_read_struct(&png_, info_ != nullptr ? &info_ : nullptr, nullptr);
        if (source_.file != nullptr)
            std::fclose(source_.file);
    }

    bool start(int fd, decodeFailure_t *failure)
    {
        source_.failure = failure;
        source_.file = streamOfDescriptor(fd);
        if (source_.file == nullptr)
            return false;
        png_ = png_create_read_struct(PNG_LIBPNG_VER_STRING, failure, onError, onWarning);
        if (png_ == nullptr)
            return false;
        info_ = png_create_info_struct(png_);
        if (info_ == nullptr)
            return false;
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_set_read_fn(png_, &source_, readFromFile);
        png_set_user_limits(png_, 0x7fffffff, 0x7fffffff);
        png_read_info(png_, info_);
        // The passes of an interlaced picture each cover the whole of it.
        if (png_get_interlace_type(png_, info_) != PNG_INTERLACE_NONE)
            return false;
        const bool alpha = setUpPixelFormat(png_, info_);
        picture.width = png_get_image_width(png_, info_);
        picture.height = png_get_image_height(png_, info_);
        picture.alpha = alpha;
        if (png_get_rowbytes(png_, info_) != png_size_t(picture.width) * 4 ||
            !bitmapSizeAcceptable(picture.width, picture.height))
            return false;
        return takePhotoChunks(png_, info_, &picture, failure);
    }

    bool readRow(uint8_t *row, decodeFailure_t *failure) override
    {
        source_.failure = failure;
        png_set_error_fn(png_, failure, onError, onWarning);
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_row(png_, row, nullptr);
        return true;
    }

    bool finish(decodeFailure_t *failure) override
    {
        source_.failure = failure;
        png_set_error_fn(png_, failure, onError, onWarning);
        if (setjmp(png_jmpbuf(png_)))
            return false;
        png_read_end(png_, info_);
        return takePhotoChunks(png_, info_, &picture, failure);
    }

private:
    png_structp png_ = nullptr;
    png_infop info_ = nullptr;
    pngFileSource_t source_ = {nullptr, nullptr};
};

} // namespace

bool looksLikePng(const uint8_t *data, size_t size)
{
    return size >= 8 && png_sig_cmp(data, 0, 8) == 0;
}

bool decodePng(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure)
{
    pngDecode_t result;
    if (!decodeInto(data, size, &result, failure))
        return false;
    *out = std::move(result.bitmap);
    return true;
}

std::unique_ptr<rowDecoder_t> openPngRows(int fd, decodeFailure_t *failure)
{
    std::unique_ptr<pngRows_t> rows(new pngRows_t);
    if (!rows->start(fd, failure))
        return nullptr;
    return rows;
}
