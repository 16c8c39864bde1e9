#include "platform/DataIO.h"

#include <cstdio>
#include <cstring>
#include <limits>
#include <new>

ssize_t BPositionIO::Read(void *buffer, size_t size)
{
    const ssize_t count = ReadAt(Position(), buffer, size);
    if (count > 0)
        Seek(count, SEEK_CUR);
    return count;
}

ssize_t BPositionIO::Write(const void *buffer, size_t size)
{
    const ssize_t count = WriteAt(Position(), buffer, size);
    if (count > 0)
        Seek(count, SEEK_CUR);
    return count;
}

ssize_t BMallocIO::ReadAt(off_t position, void *buffer, size_t size)
{
    if (position < 0 || (size > 0 && buffer == nullptr))
        return B_BAD_VALUE;
    if (uint64(position) >= data_.size())
        return 0;
    size_t count = data_.size() - size_t(position);
    if (count > size)
        count = size;
    // A read result must fit ssize_t; larger requests are served in part.
    if (count > size_t(std::numeric_limits<ssize_t>::max()))
        count = size_t(std::numeric_limits<ssize_t>::max());
    // An empty read may come with no buffer at all (an empty pixel vector).
    if (count == 0)
        return 0;
    std::memcpy(buffer, data_.data() + position, count);
    return ssize_t(count);
}

ssize_t BMallocIO::WriteAt(off_t position, const void *buffer, size_t size)
{
    if (position < 0 || (size > 0 && buffer == nullptr) ||
        size > size_t(std::numeric_limits<ssize_t>::max()))
        return B_BAD_VALUE;
    if (size == 0)
        return 0;
    const uint64 end = uint64(position) + size;
    if (end < uint64(position) || end > data_.max_size())
        return B_NO_MEMORY;
    try {
        if (end > data_.size())
            data_.resize(size_t(end));
    } catch (const std::bad_alloc &) {
        return B_NO_MEMORY;
    }
    std::memcpy(data_.data() + position, buffer, size);
    return ssize_t(size);
}

off_t BMallocIO::Seek(off_t position, uint32 seekMode)
{
    off_t base;
    switch (seekMode) {
    case SEEK_SET:
        base = 0;
        break;
    case SEEK_CUR:
        base = position_;
        break;
    case SEEK_END:
        base = off_t(data_.size());
        break;
    default:
        return B_BAD_VALUE;
    }
    if ((position < 0 && base < -position) ||
        (position > 0 && base > std::numeric_limits<off_t>::max() - position))
        return B_BAD_VALUE;
    position_ = base + position;
    return position_;
}
