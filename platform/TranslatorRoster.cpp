#include "platform/TranslatorRoster.h"

#include <new>

#include "platform/translators/Translator.h"

namespace {

BTranslatorRoster *defaultRoster = nullptr;

// Formats with a dedicated decoder come before the general one, so that
// stb_image only sees what nothing else claims.
const translatorAddOn_t *const translators[] = {
    &bitmapStreamTranslator,
    &pngTranslator,
    &jpegTranslator,
    &bmpTranslator,
    &stbTranslator,
};
constexpr translator_id translatorCount = translator_id(sizeof translators / sizeof translators[0]);

// Files larger than any image we accept to decode are not read at all.
constexpr uint64 kMaxSourceBytes = kMaxBitmapBytes;

bool readToEnd(BPositionIO *source, std::vector<uint8_t> *content)
{
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t count = source->Read(chunk, sizeof chunk);
        if (count < 0)
            return false;
        if (count == 0)
            return true;
        if (content->size() + size_t(count) > kMaxSourceBytes)
            return false;
        content->insert(content->end(), chunk, chunk + count);
    }
}

} // namespace

BTranslatorRoster *BTranslatorRoster::Default()
{
    if (defaultRoster == nullptr)
        defaultRoster = new BTranslatorRoster();
    return defaultRoster;
}

BTranslatorRoster::~BTranslatorRoster()
{
    if (defaultRoster == this)
        defaultRoster = nullptr;
}

status_t BTranslatorRoster::Translate(BPositionIO *source, const translator_info *info,
                                      BMessage *, BPositionIO *destination, uint32 wantType,
                                      uint32, const char *)
{
    if (source == nullptr || destination == nullptr)
        return B_BAD_VALUE;
    if (wantType != B_TRANSLATOR_BITMAP)
        return B_NO_TRANSLATOR;
    if (info != nullptr && (info->translator < 1 || info->translator > translatorCount))
        return B_NO_TRANSLATOR;

    std::vector<uint8_t> content;
    try {
        if (!readToEnd(source, &content))
            return B_IO_ERROR;
    } catch (const std::bad_alloc &) {
        return B_NO_MEMORY;
    }

    for (translator_id id = 1; id <= translatorCount; ++id) {
        if (info != nullptr && info->translator != id)
            continue;
        const translatorAddOn_t *translator = translators[id - 1];
        if (!translator->identify(content.data(), content.size()))
            continue;
        if (translator->translate(content.data(), content.size(), destination) == B_OK)
            return B_OK;
    }
    return B_NO_TRANSLATOR;
}
