#include "bootfile/gziptools.h"

#include <climits>
#include <cstring>
#include <zlib.h>

const unsigned char firstSignature[15] = {
    0x1f, 0x8b, 0x08, 0x08, 0xd3, 0x63, 0x5a, 0x37, 0x00, 0x03,
    'b', 'e', 'o', 's', 0x00,
};

const unsigned char secondSignature[17] = {
    0x1f, 0x8b, 0x08, 0x08, 0x9c, 0x3b, 0x57, 0x37, 0x00, 0x03,
    'i', 'm', 'a', 'g', 'e', 's', 0x00,
};

bool checkZSig(const unsigned char *data, const unsigned char *signature, unsigned length)
{
    if (length < 10)
        return false;
    // MTIME, XFL and OS differ between builds of the same member, so only the
    // magic, method, flags and the name with its terminating zero count.
    return memcmp(data, signature, 4) == 0 && memcmp(data + 10, signature + 10, length - 10) == 0;
}

namespace {

// zlib counts in uInt; larger buffers are refused rather than truncated.
bool fitsStream(unsigned long length) { return length <= UINT_MAX; }

/// A one-pass stream over the whole source and the whole destination, with
/// zlib's default allocation; false when a length does not fit zlib's counts.
bool prepareStream(z_stream *stream, unsigned char *destination, unsigned long destinationLength,
                   const unsigned char *source, unsigned long sourceLength)
{
    if (!fitsStream(destinationLength) || !fitsStream(sourceLength))
        return false;
    memset(stream, 0, sizeof *stream);
    stream->next_in = const_cast<Bytef *>(source);
    stream->avail_in = static_cast<uInt>(sourceLength);
    stream->next_out = destination;
    stream->avail_out = static_cast<uInt>(destinationLength);
    return true;
}

} // namespace

int guncompress(unsigned char *destination, unsigned long *destinationLength,
                const unsigned char *source, unsigned long sourceLength)
{
    z_stream stream;
    if (!prepareStream(&stream, destination, *destinationLength, source, sourceLength))
        return Z_BUF_ERROR;
    int code = inflateInit2(&stream, -15);
    if (code != Z_OK)
        return code;
    code = inflate(&stream, Z_FINISH);
    if (code == Z_STREAM_END) {
        *destinationLength = stream.total_out;
        return inflateEnd(&stream);
    }
    inflateEnd(&stream);
    // An unfinished stream is a failure whatever zlib calls it.
    return code == Z_OK ? Z_BUF_ERROR : code;
}
