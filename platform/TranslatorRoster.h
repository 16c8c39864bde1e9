// Stand-in for the translator roster of the original platform's Translation
// Kit: turns an image file of any format a decoder reads into a bitmap
// stream.
#pragma once

#include "decoders/decodedBitmap.h"
#include "platform/DataIO.h"
#include "platform/TranslationErrors.h"
#include "platform/TranslatorFormats.h"

class BMessage;

typedef int32 translator_id;

/// Names one translator of the roster.
struct translator_info {
    /// 1-based position in the roster: 1 passes bitmap streams on, the
    /// decoders follow in their order (imageDecoders()).
    translator_id translator;
};

/// The installed translators. The default roster is made on first use and
/// made again after it has been deleted; each thread has its own.
class BTranslatorRoster {
public:
    static BTranslatorRoster *Default();
    ~BTranslatorRoster();
    BTranslatorRoster(const BTranslatorRoster &) = delete;
    BTranslatorRoster &operator=(const BTranslatorRoster &) = delete;

    /// Reads `source` from its current position to its end and writes the
    /// image as a bitmap stream to `destination`. Only B_TRANSLATOR_BITMAP
    /// is offered as `wantType`. Without `info`, every translator that
    /// recognises the content is tried in turn. On failure nothing has been
    /// written to `destination`.
    status_t Translate(BPositionIO *source, const translator_info *info, BMessage *ioExtension,
                       BPositionIO *destination, uint32 wantType, uint32 hintType = 0,
                       const char *hintMIME = nullptr);

    /// Translate for a caller that wants the pixels themselves: a file that
    /// a decoder reads lands in `decoded` as the decoder made it, with no
    /// bitmap stream in between; a file that already is a bitmap stream is
    /// written to `destination` as Translate writes it.
    status_t Decode(BPositionIO *source, BPositionIO *destination, decodedBitmap_t *decoded);

    /// Why the last Translate or Decode failed, in a few words ("PNG data ends
    /// early", "unknown file format"): the reason of the first translator
    /// that recognised the file, or the roster's own. Empty after a success.
    const char *LastFailure() const { return lastFailure_; }

private:
    BTranslatorRoster() = default;
    status_t translate(BPositionIO *source, const translator_info *info, BPositionIO *destination, uint32 wantType,
                       decodedBitmap_t *decoded);
    status_t failed(status_t status, const char *format, ...) __attribute__((format(printf, 3, 4)));

    char lastFailure_[256] = "";
};
