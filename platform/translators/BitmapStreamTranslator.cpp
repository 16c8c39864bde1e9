// Files that already hold a bitmap stream are passed on byte for byte; the
// loader judges the header, not this translator. A stream whose header was
// written in little-endian order is passed on too, for the loader to refuse
// with a reason rather than as an unknown file.
#include <cstring>

#include "platform/TranslatorFormats.h"
#include "platform/translators/Translator.h"

namespace {

bool identify(const uint8_t *data, size_t size)
{
    static const uint8_t magic[4] = {'b', 'i', 't', 's'};
    static const uint8_t swapped[4] = {'s', 't', 'i', 'b'};
    return size >= sizeof magic &&
           (std::memcmp(data, magic, sizeof magic) == 0 || std::memcmp(data, swapped, sizeof swapped) == 0);
}

status_t translate(const uint8_t *data, size_t size, BPositionIO *destination)
{
    return destination->Write(data, size) == ssize_t(size) ? B_OK : B_IO_ERROR;
}

} // namespace

const translatorAddOn_t bitmapStreamTranslator = {"bitmap stream", identify, translate};
