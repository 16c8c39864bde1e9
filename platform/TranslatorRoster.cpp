#include "platform/TranslatorRoster.h"

#include <cstdarg>
#include <cstdio>
#include <new>

#include "decoders/decodeFailure.h"
#include "decoders/decodedBitmap.h"
#include "decoders/imageDecoders.h"
#include "base/mappedAtOnce.h"
#include "platform/BitmapStream.h"

namespace {

// Each thread has a default roster of its own: a roster keeps the reason of
// its last failure, and images may be loaded on several threads at once.
thread_local BTranslatorRoster *defaultRoster = nullptr;

// Translator 1 passes files that already hold a bitmap stream on byte for
// byte (the loader judges their header); the decoders follow.
constexpr translator_id kBitmapStreamTranslator = 1;

translator_id translatorCount() { return kBitmapStreamTranslator + translator_id(imageDecoders().size()); }

/// Decodes `content` and writes the bitmap stream; B_OK, or the status of
/// a refusal whose reason (if any) decodeFailure() holds.
status_t translateWith(const imageDecoder_t &decoder, const std::vector<uint8_t> &content, BPositionIO *destination,
                       decodedBitmap_t *decoded)
{
    clearDecodeFailure();
    decodedBitmap_t bitmap;
    try {
        if (!decoder.decode(content.data(), content.size(), &bitmap))
            return B_NO_TRANSLATOR;
    } catch (const std::bad_alloc &) {
        return B_NO_MEMORY;
    }
    if (decoded == nullptr)
        return writeBitmapStream(bitmap, destination);
    if (!bitmapWellFormed(bitmap))
        return B_BAD_VALUE;
    *decoded = std::move(bitmap);
    return B_OK;
}

// Files larger than any image we accept to decode are not read at all.
constexpr uint64 kMaxSourceBytes = kMaxBitmapBytes;

status_t readToEnd(BPositionIO *source, std::vector<uint8_t> *content, const char **reason)
{
    // Room for what the source says it holds, so that a large file is not
    // copied again and again as the buffer doubles, nor held at twice its
    // size.
    const off_t at = source->Position(), end = source->Seek(0, SEEK_END);
    if (source->Seek(at, SEEK_SET) != at) {
        *reason = "the file cannot be read";
        return B_IO_ERROR;
    }
    if (at >= 0 && end > at && uint64_t(end - at) <= kMaxSourceBytes) {
        content->reserve(size_t(end - at));
        mapForWriting(content->data(), size_t(end - at));
    }
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
    return translate(source, info, destination, wantType, nullptr);
}

status_t BTranslatorRoster::Decode(BPositionIO *source, BPositionIO *destination, decodedBitmap_t *decoded)
{
    return translate(source, nullptr, destination, B_TRANSLATOR_BITMAP, decoded);
}

status_t BTranslatorRoster::translate(BPositionIO *source, const translator_info *info, BPositionIO *destination,
                                      uint32 wantType, decodedBitmap_t *decoded)
{
    lastFailure_[0] = '\0';
    if (source == nullptr || destination == nullptr)
        return failed(B_BAD_VALUE, "no source or no destination");
    if (wantType != B_TRANSLATOR_BITMAP)
        return failed(B_NO_TRANSLATOR, "only bitmaps are made");
    if (info != nullptr && (info->translator < 1 || info->translator > translatorCount()))
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

    if ((info == nullptr || info->translator == kBitmapStreamTranslator) &&
        looksLikeBitmapStream(content.data(), content.size())) {
        if (destination->Write(content.data(), content.size()) == ssize_t(content.size()))
            return B_OK;
        return failed(B_NO_MEMORY, "out of memory");
    }

    // Every decoder that recognises the content is tried in turn; the reason
    // kept is the first one's, which is the decoder made for the format
    // rather than a general one.
    bool claimed = false;
    const std::vector<imageDecoder_t> &decoders = imageDecoders();
    for (size_t i = 0; i < decoders.size(); ++i) {
        const imageDecoder_t &decoder = decoders[i];
        if (info != nullptr && info->translator != kBitmapStreamTranslator + translator_id(i) + 1)
            continue;
        if (!decoder.identify(content.data(), content.size()))
            continue;
        const status_t status = translateWith(decoder, content, destination, decoded);
        if (status == B_OK)
            return B_OK;
        if (claimed)
            continue;
        claimed = true;
        const char *reason = decodeFailure();
        if (reason != nullptr)
            failed(status, "%s", reason);
        else if (status == B_NO_MEMORY)
            failed(status, "out of memory");
        else
            failed(status, "%s data is damaged or not supported", decoder.name);
    }
    if (!claimed)
        return failed(B_NO_TRANSLATOR, "unknown file format");
    return B_NO_TRANSLATOR;
}
