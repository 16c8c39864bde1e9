// BMP through our own decoder: no maintained library decodes every BMP
// variant exactly without a large dependency.
#include <new>

#include "platform/translators/Translator.h"
#include "platform/translators/bmpDecoder.h"

namespace {

bool identify(const uint8_t *data, size_t size)
{
    return looksLikeBmp(data, size);
}

status_t translate(const uint8_t *data, size_t size, BPositionIO *destination)
{
    decodedBitmap_t bitmap;
    std::string reason;
    try {
        if (!decodeBmp(data, size, &bitmap, &reason))
            return translationFailed("%s", reason.c_str());
    } catch (const std::bad_alloc &) {
        return B_NO_MEMORY;
    }
    return writeBitmapStream(bitmap, destination);
}

} // namespace

const translatorAddOn_t bmpTranslator = {"BMP", identify, translate};
