#include "bootfile/memberCheck.h"

#include <zlib.h>

#include "bootfile/gziptools.h"
#include "bootfile/littleEndian.h"
#include "bootfile/zbeosSections.h"
#include "base/formatText.h"

memberCheck_t checkMember(const unsigned char *data, uint64_t size)
{
    memberCheck_t check;
    z_stream stream{};
    if (inflateInit2(&stream, -15) != Z_OK) {
        check.failure = "cannot start inflating";
        return check;
    }
    // zlib counts input in 32 bits: the data is handed over in pieces, and
    // the output goes through a small window since only its CRC is kept.
    unsigned char window[65536];
    uLong crc = crc32(0L, Z_NULL, 0);
    uint64_t consumed = 0;
    int code = Z_OK;
    while (code == Z_OK) {
        if (stream.avail_in == 0) {
            const uint64_t left = size - consumed;
            if (left == 0)
                break;
            stream.next_in = const_cast<Bytef *>(data + consumed);
            stream.avail_in = uInt(left > UINT32_MAX ? UINT32_MAX : left);
        }
        stream.next_out = window;
        stream.avail_out = sizeof window;
        const uInt before = stream.avail_in;
        code = inflate(&stream, Z_NO_FLUSH);
        consumed += before - stream.avail_in;
        crc = crc32(crc, window, uInt(sizeof window - stream.avail_out));
        check.inflatedLength += sizeof window - stream.avail_out;
        if (code == Z_BUF_ERROR && stream.avail_in == 0)
            code = Z_OK; // wants more input: the loop hands it over or stops
    }
    if (code == Z_STREAM_END) {
        if (size - consumed < zbeosTrailerSize) {
            check.failure = "ends before its trailer";
        } else {
            check.complete = true;
            check.storedCrc = getLE32(data + consumed);
            check.storedLength = getLE32(data + consumed + 4);
            check.inflatedCrc = uint32_t(crc);
        }
    } else if (code == Z_OK) {
        check.failure = "ends before its deflate data does";
    } else {
        check.failure = formatText("deflate data is corrupt (%s)", stream.msg != nullptr ? stream.msg : zError(code));
    }
    inflateEnd(&stream);
    return check;
}

memberCheck_t checkLoaderMember(const unsigned char *bytes, const zbeosSections_t &layout)
{
    const uint64_t data = layout.loaderOffset + sizeof firstSignature;
    // The splash header may begin inside the loader's own (within its
    // MTIME, XFL and OS), which leaves the loader no data at all.
    return checkMember(bytes + data, layout.splashOffset > data ? layout.splashOffset - data : 0);
}

const char *const loaderMemberName = "loader member";

void addMemberDamage(const char *what, const memberCheck_t &check, std::vector<std::string> *damage)
{
    if (!check.complete) {
        damage->push_back(formatText("%s %s", what, check.failure.c_str()));
        return;
    }
    if (!check.CrcMatches())
        damage->push_back(formatText("%s CRC-32 0x%08x does not match the inflated data (0x%08x)", what,
                                     unsigned(check.storedCrc), unsigned(check.inflatedCrc)));
    if (!check.LengthMatches())
        damage->push_back(formatText("%s length %u does not match the inflated data (%llu bytes)", what,
                                     unsigned(check.storedLength),
                                     static_cast<unsigned long long>(check.inflatedLength)));
}
