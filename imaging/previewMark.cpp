#include "imaging/previewMark.h"

#include <algorithm>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "base/transferFully.h"

namespace {

// The signature, then the length (13) and type of IHDR, whose data and CRC
// follow.
const uint8_t pngStart[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n', 0, 0, 0, 13, 'I', 'H', 'D', 'R'};
const size_t headerChunkEnd = sizeof pngStart + 13 + 4;

void appendBigEndian(std::vector<uint8_t> *bytes, uint32_t value)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes->push_back(uint8_t(value >> shift));
}

// A tEXt chunk: keyword "Software", as PNG's registered keywords name the
// program that made an image.
std::vector<uint8_t> markChunk()
{
    static const char typeAndText[] = "tEXtSoftware\0Dawnmark preview";
    const size_t typeAndTextSize = sizeof typeAndText - 1;
    std::vector<uint8_t> chunk;
    appendBigEndian(&chunk, uint32_t(typeAndTextSize - 4));
    chunk.insert(chunk.end(), typeAndText, typeAndText + typeAndTextSize);
    appendBigEndian(&chunk, uint32_t(crc32(0L, reinterpret_cast<const Bytef *>(typeAndText), uInt(typeAndTextSize))));
    return chunk;
}

} // namespace

void markAsPreview(std::vector<uint8_t> *png)
{
    const std::vector<uint8_t> chunk = markChunk();
    png->insert(png->begin() + headerChunkEnd, chunk.begin(), chunk.end());
}

bool isMarkedPreview(const char *path)
{
    const std::vector<uint8_t> chunk = markChunk();
    std::vector<uint8_t> head(headerChunkEnd + chunk.size());
    // O_NONBLOCK: a FIFO put there since it was looked at opens at once, and
    // is then no regular file.
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat status;
    const bool regular = fstat(fd, &status) == 0 && S_ISREG(status.st_mode);
    const ssize_t got = regular ? transferFully(head.size(), [&](size_t done) {
        return pread(fd, head.data() + done, head.size() - done, off_t(done));
    })
                                : -1;
    close(fd);
    return got == ssize_t(head.size()) && std::equal(pngStart, pngStart + sizeof pngStart, head.begin()) &&
           std::equal(chunk.begin(), chunk.end(), head.begin() + headerChunkEnd);
}
