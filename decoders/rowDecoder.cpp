#include "decoders/rowDecoder.h"

#include <unistd.h>

std::FILE *streamOfDescriptor(int fd)
{
    const int own = ::dup(fd);
    if (own < 0)
        return nullptr;
    std::FILE *stream = ::fdopen(own, "rb");
    if (stream == nullptr) {
        ::close(own);
        return nullptr;
    }
    std::setvbuf(stream, nullptr, _IOFBF, 1 << 16);
    return stream;
}
