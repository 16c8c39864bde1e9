#include "gcompress_support.h"

#include <climits>
#include <zlib.h>

int gcompress(unsigned char *destination, unsigned long *destinationLength, const unsigned char *source,
              unsigned long sourceLength, unsigned long *crc, int level)
{
    *crc = crc32(0L, Z_NULL, 0);
    // zlib counts in uInt; larger buffers are refused rather than truncated.
    if (*destinationLength > UINT_MAX || sourceLength > UINT_MAX)
        return Z_BUF_ERROR;
    z_stream stream{};
    stream.next_in = const_cast<Bytef *>(source);
    stream.avail_in = uInt(sourceLength);
    stream.next_out = destination;
    stream.avail_out = uInt(*destinationLength);
    int code = deflateInit2(&stream, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    if (code != Z_OK)
        return code;
    code = deflate(&stream, Z_FINISH);
    if (code == Z_STREAM_END) {
        *destinationLength = stream.total_out;
        *crc = crc32(*crc, source, uInt(sourceLength));
        return deflateEnd(&stream);
    }
    deflateEnd(&stream);
    // With Z_FINISH, zlib answers Z_OK when the output filled up before the
    // end: that must never pass for success.
    return code == Z_OK ? Z_BUF_ERROR : code;
}
