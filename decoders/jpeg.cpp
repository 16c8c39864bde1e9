// JPEG through libjpeg-turbo. libjpeg ends the process on errors unless its
// error manager says otherwise: ours longjmps back, and also treats every
// corrupt-data warning (a truncated file among them) as an error. As with
// the PNG decoder, the function holding the jump buffer owns nothing with a
// destructor.
#include <csetjmp>
#include <cstdio>
#include <new>

#include <jpeglib.h>
#include <jerror.h>

#include "decoders/colourProfile.h"
#include "decoders/decodeFailure.h"
#include "decoders/jpeg.h"
#include "decoders/jpegMarkers.h"
#include "decoders/photoOrientation.h"
#include "base/mappedAtOnce.h"

namespace {

struct jpegErrors_t {
    jpeg_error_mgr manager;
    jmp_buf jump;
    decodeFailure_t *failure;
};

[[noreturn]] void onError(j_common_ptr info)
{
    decodeFailure_t *failure = reinterpret_cast<jpegErrors_t *>(info->err)->failure;
    if (info->err->msg_code == JWRN_JPEG_EOF) {
        failure->give("JPEG data ends early");
    } else {
        char message[JMSG_LENGTH_MAX];
        info->err->format_message(info, message);
        failure->give("damaged JPEG: %s", message);
    }
    longjmp(reinterpret_cast<jpegErrors_t *>(info->err)->jump, 1);
}

void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        onError(info);
}

bool prepareBitmap(decodedBitmap_t *bitmap, JDIMENSION width, JDIMENSION height, decodeFailure_t *failure)
{
    if (!bitmapSizeAcceptable(width, height)) {
        failure->give("JPEG image of %u x %u pixels is larger than 1 GiB", unsigned(width),
                     unsigned(height));
        return false;
    }
    try {
        bitmap->width = width;
        bitmap->height = height;
        bitmap->alpha = false;
        resizeMappedAtOnce(bitmap->pixels, size_t(width) * height * 4);
    } catch (const std::bad_alloc &) {
        failure->give("out of memory");
        return false;
    }
    return true;
}

// CMYK files (Adobe's inverted form when the Adobe marker says so, as
// Photoshop writes them) become RGB by the plain complement formula.
void cmykToBgr(uint8_t *pixels, size_t count, bool inverted)
{
    for (size_t i = 0; i < count; ++i) {
        uint8_t *p = pixels + i * 4;
        unsigned c = p[0], m = p[1], y = p[2], k = p[3];
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        p[0] = uint8_t((y * k + 127) / 255);
        p[1] = uint8_t((m * k + 127) / 255);
        p[2] = uint8_t((c * k + 127) / 255);
        p[3] = 0xff;
    }
}

bool isCmyk(const jpeg_decompress_struct &info)
{
    return info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
}

/// Chooses the pixel format and the scale, once the header is read.
void setUpOutput(j_decompress_ptr info, const std::vector<uint8_t> &exif, uint32_t minWidth, uint32_t minHeight)
{
    // The least size is the upright picture's: a photo stored on its side
    // needs it with width and height swapped.
    const unsigned orientation = exifOrientation(exif);
    const bool sideways = orientationSwapsSides(orientation);
    const uint32_t leastWidth = sideways ? minHeight : minWidth;
    const uint32_t leastHeight = sideways ? minWidth : minHeight;

    info->out_color_space = isCmyk(*info) ? JCS_CMYK : JCS_EXT_BGRA;
    // The library's reduced scales M/8 run its inverse transform on M x M
    // of each block's 8 x 8 coefficients, a fraction of the work; the
    // smallest whose picture still spans the wanted size is taken. Only
    // 1/8, 2/8, 4/8 and 8/8 have the library's vector transforms: 3/8 took
    // as long as 4/8 on a 12-megapixel photo, and 5/8, 6/8 and 7/8 77, 86
    // and 116 ms against 68 for the whole 8/8. A picture read a row at a
    // time is never held whole, so for it a larger scale costs no memory,
    // only zooming: it takes the fast ones, and so does its whole decode
    // (a damaged file's, or one that is no regular file), which must give
    // the same pixels. A picture always held whole (CMYK, or turned) keeps
    // the smallest, which its memory grows with.
    const bool fastScalesOnly = !isCmyk(*info) && uprightByRows(orientation);
    for (unsigned eighths = 1; eighths < 8; ++eighths) {
        if (fastScalesOnly && (eighths & (eighths - 1)) != 0)
            continue;
        if (uint64_t(info->image_width) * eighths >= uint64_t(leastWidth) * 8 &&
            uint64_t(info->image_height) * eighths >= uint64_t(leastHeight) * 8) {
            info->scale_num = eighths;
            info->scale_denom = 8;
            break;
        }
    }
    jpeg_calc_output_dimensions(info);
}

void setOverhang(const jpeg_decompress_struct &info, decodedBitmap_t *bitmap)
{
    // A side that is no whole number of eighths ends inside its last pixel.
    bitmap->overhangRight = info.output_width - double(info.image_width) * info.scale_num / info.scale_denom;
    bitmap->overhangBottom = info.output_height - double(info.image_height) * info.scale_num / info.scale_denom;
}

/// A JPEG file decoded scanline by scanline at a reduced scale. The
/// functions that call libjpeg keep no object with a destructor, as
/// decodeJpegAtLeast.
class jpegRows_t final : public rowDecoder_t {
public:
    ~jpegRows_t() override
    {
        if (created_)
            jpeg_destroy_decompress(&info_);
        if (file_ != nullptr)
            std::fclose(file_);
    }

    bool start(int fd, uint32_t minWidth, uint32_t minHeight, decodeFailure_t *failure)
    {
        file_ = streamOfDescriptor(fd);
        if (file_ == nullptr)
            return false;
        errors_.failure = failure;
        info_.err = jpeg_std_error(&errors_.manager);
        errors_.manager.error_exit = onError;
        errors_.manager.emit_message = onMessage;
        if (setjmp(errors_.jump))
            return false;
        jpeg_create_decompress(&info_);
        created_ = true;
        jpeg_stdio_src(&info_, file_);
        keepPhotoMarkers(&info_);
        jpeg_read_header(&info_, TRUE);
        if (!takePhotoMarkers(&info_, &picture, failure))
            return false;
        // CMYK samples become colours only once the whole picture is there
        // (convertCmykToSrgb).
        if (isCmyk(info_))
            return false;
        setUpOutput(&info_, picture.exif, minWidth, minHeight);
        picture.width = info_.output_width;
        picture.height = info_.output_height;
        setOverhang(info_, &picture);
        if (!bitmapSizeAcceptable(picture.width, picture.height))
            return false;
        jpeg_start_decompress(&info_);
        return true;
    }

    bool readRow(uint8_t *row, decodeFailure_t *failure) override
    {
        errors_.failure = failure;
        if (setjmp(errors_.jump))
            return false;
        JSAMPROW rows[1] = {row};
        jpeg_read_scanlines(&info_, rows, 1);
        return true;
    }

    bool finish(decodeFailure_t *failure) override
    {
        errors_.failure = failure;
        if (setjmp(errors_.jump))
            return false;
        jpeg_finish_decompress(&info_);
        return true;
    }

private:
    jpeg_decompress_struct info_;
    jpegErrors_t errors_;
    bool created_ = false;
    std::FILE *file_ = nullptr;
};

} // namespace

bool looksLikeJpeg(const uint8_t *data, size_t size)
{
    return size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff;
}

bool decodeJpeg(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    // No reduced scale is as large as the image itself.
    return decodeJpegAtLeast(data, size, UINT32_MAX, UINT32_MAX, bitmap, failure);
}

bool decodeJpegAtLeast(const uint8_t *data, size_t size, uint32_t minWidth, uint32_t minHeight,
                       decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    jpeg_decompress_struct info;
    jpegErrors_t errors;
    errors.failure = failure;
    info.err = jpeg_std_error(&errors.manager);
    errors.manager.error_exit = onError;
    errors.manager.emit_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    keepPhotoMarkers(&info);
    jpeg_read_header(&info, TRUE);
    if (!takePhotoMarkers(&info, bitmap, failure)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const bool cmyk = isCmyk(info);
    setUpOutput(&info, bitmap->exif, minWidth, minHeight);
    if (!prepareBitmap(bitmap, info.output_width, info.output_height, failure)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = bitmap->pixels.data() + size_t(info.output_scanline) * info.output_width * 4;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    setOverhang(info, bitmap);
    // An embedded CMYK profile tells the inks' true colours; without one
    // the plain formula has to do.
    if (cmyk && !convertCmykToSrgb(bitmap, info.saw_Adobe_marker))
        cmykToBgr(bitmap->pixels.data(), size_t(info.output_width) * info.output_height,
                  info.saw_Adobe_marker);
    jpeg_destroy_decompress(&info);
    return true;
}

std::unique_ptr<rowDecoder_t> openJpegRows(int fd, uint32_t minWidth, uint32_t minHeight, decodeFailure_t *failure)
{
    std::unique_ptr<jpegRows_t> rows(new jpegRows_t);
    if (!rows->start(fd, minWidth, minHeight, failure))
        return nullptr;
    return rows;
}
