#include "platform/TranslatorRoster.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "platform/translators/Translator.h"
#include "platform/translators/translationFailure.h"

namespace {

BTranslatorRoster *defaultRoster = nullptr;

// Formats known by a signature come first; TGA, which has none and is
// known only by a plausible header, comes last.
const translatorAddOn_t *const translators[] = {
    &bitmapStreamTranslator,
    &pngTranslator,
    &jpegTranslator,
    &pnmTranslator,
    &gifTranslator,
    &psdTranslator,
    &bmpTranslator,
    &tgaTranslator,
};
constexpr translator_id translatorCount = translator_id(sizeof translators / sizeof translators[0]);

// Files larger than any image we accept to decode are not read at all.
constexpr uint64 kMaxSourceBytes = kMaxBitmapBytes;

status_t readToEnd(BPositionIO *source, std::vector<uint8_t> *content, const char **reason)
{
    uint8_t chunk[65536];
    for (;;) {
        const ssize_t count = source->Read(chunk, sizeof chunk);
        if (count < 0) {
            *reason = "the file cannot be read";
            return B_IO_ERROR;
        }
        if (count == 0)
            return B_OK;
        if (content->size() + size_t(count) > kMaxSourceBytes) {
            *reason = "file larger than 1 GiB";
            return B_IO_ERROR;
        }
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

status_t BTranslatorRoster::failed(status_t status, const char *format, ...)
{
    va_list args;
    va_start(args, format);
    std::vsnprintf(lastFailure_, sizeof lastFailure_, format, args);
    va_end(args);
    return status;
}

status_t BTranslatorRoster::Translate(BPositionIO *source, const translator_info *info,
                                      BMessage *, BPositionIO *destination, uint32 wantType,
                                      uint32, const char *)
{
    lastFailure_[0] = '\0';
    if (source == nullptr || destination == nullptr)
        return failed(B_BAD_VALUE, "no source or no destination");
    if (wantType != B_TRANSLATOR_BITMAP)
        return failed(B_NO_TRANSLATOR, "only bitmaps are made");
    if (info != nullptr && (info->translator < 1 || info->translator > translatorCount))
        return failed(B_NO_TRANSLATOR, "no such translator");

    std::vector<uint8_t> content;
    try {
        const char *reason = nullptr;
        const status_t status = readToEnd(source, &content, &reason);
        if (status != B_OK)
            return failed(status, "%s", reason);
    } catch (const std::bad_alloc &) {
        return failed(B_NO_MEMORY, "out of memory");
    }
    if (content.empty())
        return failed(B_NO_TRANSLATOR, "the file is empty");

    // Every translator that recognises the content is tried in turn; the
    // reason kept is the first one's, which is the decoder made for the
    // format rather than a general one.
    bool claimed = false;
    for (translator_id id = 1; id <= translatorCount; ++id) {
        if (info != nullptr && info->translator != id)
            continue;
        const translatorAddOn_t *translator = translators[id - 1];
        if (!translator->identify(content.data(), content.size()))
            continue;
        clearTranslationFailure();
        const status_t status = translator->translate(content.data(), content.size(), destination);
        if (status == B_OK)
            return B_OK;
        if (claimed)
            continue;
        claimed = true;
        const char *reason = translationFailure();
        if (reason != nullptr)
            failed(status, "%s", reason);
        else if (status == B_NO_MEMORY)
            failed(status, "out of memory");
        else
            failed(status, "%s data is damaged or not supported", translator->name);
    }
    if (!claimed)
        return failed(B_NO_TRANSLATOR, "unknown file format");
    return B_NO_TRANSLATOR;
}
