// JPEG XL through libjxl, on the calling thread. The library turns the
// picture upright itself; the pixels come as 8-bit red, green, blue and
// alpha (opaque when the file has none) in the colour space the library
// decodes to, whose profile goes with them unless it is plain sRGB.
#include <cstring>
#include <memory>
#include <string>
#include <utility>

#include <jxl/decode.h>

#include "decoders/decodeFailure.h"
#include "decoders/jxl.h"
#include "base/mappedAtOnce.h"
#include "decoders/lateLibrary.h"

namespace {

/// The part of libjxl the decoding calls, each named once.
#define JXL_CALLS(X) \
    X(JxlDecoderCreate) \
    X(JxlDecoderDestroy) \
    X(JxlDecoderGetBasicInfo) \
    X(JxlDecoderGetColorAsEncodedProfile) \
    X(JxlDecoderGetColorAsICCProfile) \
    X(JxlDecoderGetICCProfileSize) \
    X(JxlDecoderProcessInput) \
    X(JxlDecoderSetImageOutBuffer) \
    X(JxlDecoderSetInput) \
    X(JxlDecoderSkipCurrentFrame) \
    X(JxlDecoderSubscribeEvents)

/// Those functions, from the library opened late: libjxl().
LATE_LIBRARY_FUNCTIONS(jxlFunctions_t, libjxl, DAWNMARK_JXL_SONAME, "libjxl", JXL_CALLS)

struct jxlDeleter_t {
    void operator()(JxlDecoder *decoder) const { libjxl().JxlDecoderDestroy(decoder); }
};

constexpr JxlPixelFormat kRgba8 = {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};

bool isPlainSrgb(const JxlDecoder *decoder)
{
    JxlColorEncoding encoding;
    return libjxl().JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
               JXL_DEC_SUCCESS &&
           encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.white_point == JXL_WHITE_POINT_D65 &&
           encoding.primaries == JXL_PRIMARIES_SRGB && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

std::vector<uint8_t> dataProfile(const JxlDecoder *decoder)
{
    std::vector<uint8_t> profile;
    size_t size = 0;
    if (isPlainSrgb(decoder) ||
        libjxl().JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS)
        return profile;
    profile.resize(size);
    if (libjxl().JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) !=
        JXL_DEC_SUCCESS)
        profile.clear();
    return profile;
}

/// The frames an animation shows, counted from the one after the first, whose
/// pixels are skipped; a count cut short by damage stands as far as it got.
void countLaterFrames(JxlDecoder *decoder, decodedBitmap_t *bitmap)
{
    for (;;) {
        switch (libjxl().JxlDecoderProcessInput(decoder)) {
        case JXL_DEC_FRAME:
            ++bitmap->frames;
            if (libjxl().JxlDecoderSkipCurrentFrame(decoder) != JXL_DEC_SUCCESS)
                return;
            break;
        default:
            return;
        }
    }
}

bool sizeFrom(const JxlDecoder *decoder, decodedBitmap_t *bitmap, bool *animated, decodeFailure_t *failure)
{
    JxlBasicInfo info;
    if (libjxl().JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        return failure->give("damaged JPEG XL header");
    if (!bitmapSizeAcceptable(info.xsize, info.ysize))
        return failure->give("JPEG XL image of %u x %u pixels is larger than 1 GiB", unsigned(info.xsize),
                            unsigned(info.ysize));
    bitmap->width = info.xsize;
    bitmap->height = info.ysize;
    bitmap->alpha = info.alpha_bits > 0;
    *animated = info.have_animation;
    return true;
}

} // namespace

bool looksLikeJxl(const uint8_t *data, size_t size)
{
    // A bare codestream, or the container's signature box. Told here rather
    // than by the library, which would be opened for every file tried.
    static const uint8_t codestream[] = {0xff, 0x0a};
    static const uint8_t container[] = {0, 0, 0, 0x0c, 'J', 'X', 'L', ' ', 0x0d, 0x0a, 0x87, 0x0a};
    return (size >= sizeof codestream && std::memcmp(data, codestream, sizeof codestream) == 0) ||
           (size >= sizeof container && std::memcmp(data, container, sizeof container) == 0);
}

bool decodeJxl(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    if (!libjxl().missing.empty())
        return failure->give("JPEG XL needs libjxl: %s", libjxl().missing.c_str());
    const std::unique_ptr<JxlDecoder, jxlDeleter_t> decoder(libjxl().JxlDecoderCreate(nullptr));
    if (!decoder)
        return failure->give("out of memory");
    JxlDecoder *const running = decoder.get();
    if (libjxl().JxlDecoderSubscribeEvents(running, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FRAME |
                                                        JXL_DEC_FULL_IMAGE) != JXL_DEC_SUCCESS ||
        libjxl().JxlDecoderSetInput(running, data, size) != JXL_DEC_SUCCESS)
        return failure->give("JPEG XL decoder cannot start");
    // The input stays open: a file cut short then asks for more rather than
    // failing as damaged.
    bool animated = false;
    for (;;) {
        switch (libjxl().JxlDecoderProcessInput(running)) {
        case JXL_DEC_BASIC_INFO:
            if (!sizeFrom(running, bitmap, &animated, failure))
                return false;
            break;
        case JXL_DEC_FRAME:
            break;
        case JXL_DEC_COLOR_ENCODING:
            bitmap->iccProfile = dataProfile(running);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            resizeMappedAtOnce(bitmap->pixels, size_t(bitmap->width) * bitmap->height * 4);
            if (libjxl().JxlDecoderSetImageOutBuffer(running, &kRgba8, bitmap->pixels.data(), bitmap->pixels.size()) !=
                JXL_DEC_SUCCESS)
                return failure->give("damaged JPEG XL: unexpected image size");
            break;
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the picture; red and blue trade places.
            for (size_t i = 0; i < bitmap->pixels.size(); i += 4)
                std::swap(bitmap->pixels[i], bitmap->pixels[i + 2]);
            if (animated)
                countLaterFrames(running, bitmap);
            return true;
        case JXL_DEC_NEED_MORE_INPUT:
            return failure->give("JPEG XL data ends early");
        case JXL_DEC_SUCCESS:
            return failure->give("JPEG XL without an image");
        default:
            return failure->give("damaged JPEG XL");
        }
    }
}
