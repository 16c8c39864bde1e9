#include "bootfile/inflateCheck.h"

#include <cstring>
#include <zlib.h>

#include "bootfile/littleEndian.h"

namespace {

// Inflated bytes are compared a window at a time and then dropped.
const size_t windowBytes = 65536;

} // namespace

struct inflateCheck_t::state_t {
    z_stream stream{};
    unsigned char window[windowBytes];
};

inflateCheck_t::inflateCheck_t(const std::vector<unsigned char> &expected) : expected(expected), state(new state_t)
{
    if (inflateInit2(&state->stream, -15) != Z_OK)
        wrong = true;
}

inflateCheck_t::~inflateCheck_t() { inflateEnd(&state->stream); }

void inflateCheck_t::Take(const unsigned char *bytes, size_t size) noexcept
{
    z_stream &stream = state->stream;
    stream.next_in = const_cast<Bytef *>(bytes);
    while (!wrong && size > 0) {
        // Data after the end of the stream is as wrong as a changed byte.
        if (ended) {
            wrong = true;
            return;
        }
        const uInt piece = uInt(size < (1u << 30) ? size : (1u << 30));
        stream.avail_in = piece;
        // Until the piece is used up and zlib holds nothing more to give.
        do {
            stream.next_out = state->window;
            stream.avail_out = windowBytes;
            const int code = inflate(&stream, Z_NO_FLUSH);
            const size_t out = windowBytes - stream.avail_out;
            if (out > expected.size() - inflated || memcmp(state->window, expected.data() + inflated, out) != 0)
                wrong = true;
            crc = crc32_z(crc, state->window, out);
            inflated += out;
            if (code == Z_STREAM_END)
                ended = true;
            else if (code != Z_OK && code != Z_BUF_ERROR) // Z_BUF_ERROR: no input left to use
                wrong = true;
        } while (!wrong && !ended && (stream.avail_in > 0 || stream.avail_out == 0));
        if (stream.avail_in > 0)
            wrong = true;
        size -= piece;
    }
}

bool inflateCheck_t::Matches(const unsigned char trailer[8]) const
{
    return !wrong && ended && inflated == expected.size() && getLE32(trailer) == uint32_t(crc) &&
           getLE32(trailer + 4) == uint32_t(expected.size());
}
