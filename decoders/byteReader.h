// Reading the fields of a file held in memory, never past its end.
#pragma once

#include <cstddef>
#include <cstdint>

/// A cursor over a file's bytes. A read past the end gives zeros and marks
/// the reader as ended early, so a decoder may read a whole header and check
/// once.
class byteReader_t {
public:
    byteReader_t(const uint8_t *data, size_t size) : data_(data), size_(size) {}

    uint8_t u8() { return available(1) ? data_[offset_++] : 0; }
    uint16_t u16le()
    {
        const uint8_t *p = take(2);
        return p != nullptr ? uint16_t(p[0] | p[1] << 8) : 0;
    }
    uint16_t u16be()
    {
        const uint8_t *p = take(2);
        return p != nullptr ? uint16_t(p[0] << 8 | p[1]) : 0;
    }
    uint32_t u32be()
    {
        const uint8_t *p = take(4);
        return p != nullptr ? uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3] : 0;
    }

    /// The next `count` bytes, or null when fewer remain (the reader then
    /// stands at the end).
    const uint8_t *take(size_t count)
    {
        if (!available(count))
            return nullptr;
        const uint8_t *p = data_ + offset_;
        offset_ += count;
        return p;
    }
    void skip(size_t count) { take(count); }

    size_t offset() const { return offset_; }
    size_t remaining() const { return size_ - offset_; }
    bool endedEarly() const { return endedEarly_; }

private:
    bool available(size_t count)
    {
        if (count <= size_ - offset_)
            return true;
        offset_ = size_;
        endedEarly_ = true;
        return false;
    }

    const uint8_t *data_;
    size_t size_;
    size_t offset_ = 0;
    bool endedEarly_ = false;
};
