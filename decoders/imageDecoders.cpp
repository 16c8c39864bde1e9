#include "decoders/imageDecoders.h"

#include "decoders/bmp.h"
#include "decoders/gif.h"
#include "decoders/heif.h"
#include "decoders/jpeg.h"
#include "decoders/jxl.h"
#include "decoders/png.h"
#include "decoders/pnm.h"
#include "decoders/psd.h"
#include "decoders/tga.h"
#include "decoders/webp.h"

const std::vector<imageDecoder_t> &imageDecoders()
{
    static const std::vector<imageDecoder_t> decoders = {
        {"PNG", looksLikePng, decodePng}, {"JPEG", looksLikeJpeg, decodeJpeg}, {"PNM", looksLikePnm, decodePnm},
        {"GIF", looksLikeGif, decodeGif}, {"WebP", looksLikeWebp, decodeWebp},
#if DAWNMARK_HEIF
        {"HEIF", looksLikeHeic, decodeHeic}, {"AVIF", looksLikeAvif, decodeAvif},
#endif
#if DAWNMARK_JXL
        {"JPEG XL", looksLikeJxl, decodeJxl},
#endif
        {"PSD", looksLikePsd, decodePsd}, {"BMP", looksLikeBmp, decodeBmp},
        {"TGA", looksLikeTga, decodeTga},
    };
    return decoders;
}
