// JPEG XL through libjxl, on the calling thread. The library turns the
// picture upright itself; the pixels come as 8-bit red, green, blue and
// alpha (opaque when the file has none) in the colour space the library
// decodes to, whose profile goes with them unless it is plain sRGB.
#include <memory>
#include <utility>

#include <jxl/decode.h>

#include "decoders/decodeFailure.h"
#include "decoders/jxl.h"
#include "base/mappedAtOnce.h"

namespace {

struct jxlDeleter_t {
    void operator()(JxlDecoder *decoder) const { JxlDecoderDestroy(decoder); }
};

constexpr JxlPixelFormat kRgba8 = {4, JXL_TYPE_UINT8, JXL_NATIVE_ENDIAN, 0};

bool isPlainSrgb(const JxlDecoder *decoder)
{
    JxlColorEncoding encoding;
    return JxlDecoderGetColorAsEncodedProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &encoding) ==
               JXL_DEC_SUCCESS &&
           encoding.color_space == JXL_COLOR_SPACE_RGB && encoding.white_point == JXL_WHITE_POINT_D65 &&
           encoding.primaries == JXL_PRIMARIES_SRGB && encoding.transfer_function == JXL_TRANSFER_FUNCTION_SRGB;
}

std::vector<uint8_t> dataProfile(const JxlDecoder *decoder)
{
    std::vector<uint8_t> profile;
    size_t size = 0;
    if (isPlainSrgb(decoder) ||
        JxlDecoderGetICCProfileSize(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, &size) != JXL_DEC_SUCCESS)
        return profile;
    profile.resize(size);
    if (JxlDecoderGetColorAsICCProfile(decoder, nullptr, JXL_COLOR_PROFILE_TARGET_DATA, profile.data(), size) !=
        JXL_DEC_SUCCESS)
        profile.clear();
    return profile;
}

bool sizeFrom(const JxlDecoder *decoder, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    JxlBasicInfo info;
    if (JxlDecoderGetBasicInfo(decoder, &info) != JXL_DEC_SUCCESS)
        return failure->give("damaged JPEG XL header");
    if (!bitmapSizeAcceptable(info.xsize, info.ysize))
        return failure->give("JPEG XL image of %u x %u pixels is larger than 1 GiB", unsigned(info.xsize),
                            unsigned(info.ysize));
    bitmap->width = info.xsize;
    bitmap->height = info.ysize;
    bitmap->alpha = info.alpha_bits > 0;
    return true;
}

} // namespace

bool looksLikeJxl(const uint8_t *data, size_t size)
{
    const JxlSignature signature = JxlSignatureCheck(data, size);
    return signature == JXL_SIG_CODESTREAM || signature == JXL_SIG_CONTAINER;
}

bool decodeJxl(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    const std::unique_ptr<JxlDecoder, jxlDeleter_t> decoder(JxlDecoderCreate(nullptr));
    if (!decoder)
        return failure->give("out of memory");
    JxlDecoder *const jxl = decoder.get();
    if (JxlDecoderSubscribeEvents(jxl, JXL_DEC_BASIC_INFO | JXL_DEC_COLOR_ENCODING | JXL_DEC_FULL_IMAGE) !=
            JXL_DEC_SUCCESS ||
        JxlDecoderSetInput(jxl, data, size) != JXL_DEC_SUCCESS)
        return failure->give("JPEG XL decoder cannot start");
    // The input stays open: a file cut short then asks for more rather than
    // failing as damaged.
    for (;;) {
        switch (JxlDecoderProcessInput(jxl)) {
        case JXL_DEC_BASIC_INFO:
            if (!sizeFrom(jxl, bitmap, failure))
                return false;
            break;
        case JXL_DEC_COLOR_ENCODING:
            bitmap->iccProfile = dataProfile(jxl);
            break;
        case JXL_DEC_NEED_IMAGE_OUT_BUFFER:
            resizeMappedAtOnce(bitmap->pixels, size_t(bitmap->width) * bitmap->height * 4);
            if (JxlDecoderSetImageOutBuffer(jxl, &kRgba8, bitmap->pixels.data(), bitmap->pixels.size()) !=
                JXL_DEC_SUCCESS)
                return failure->give("damaged JPEG XL: unexpected image size");
            break;
        case JXL_DEC_FULL_IMAGE:
            // The first frame is the picture; red and blue trade places.
            for (size_t i = 0; i < bitmap->pixels.size(); i += 4)
                std::swap(bitmap->pixels[i], bitmap->pixels[i + 2]);
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
