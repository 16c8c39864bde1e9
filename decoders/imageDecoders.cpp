#include "decoders/imageDecoders.h"

#include "decoders/bmp.h"
#include "decoders/gif.h"
#include "decoders/jpeg.h"
#include "decoders/png.h"
#include "decoders/pnm.h"
#include "decoders/psd.h"
#include "decoders/tga.h"

const std::vector<imageDecoder_t> &imageDecoders()
{
    static const std::vector<imageDecoder_t> decoders = {
        {"PNG", looksLikePng, decodePng}, {"JPEG", looksLikeJpeg, decodeJpeg}, {"PNM", looksLikePnm, decodePnm},
        {"GIF", looksLikeGif, decodeGif}, {"PSD", looksLikePsd, decodePsd},   {"BMP", looksLikeBmp, decodeBmp},
        {"TGA", looksLikeTga, decodeTga},
    };
    return decoders;
}
