// Stand-in for the byte streams of the original platform's Support Kit: an
// abstract positionable stream and a growable stream in memory.
#pragma once

#include <vector>

#include "platform/SupportDefs.h"

/// A stream of bytes with a position, that can be read and written at any
/// offset. Reads and writes return the count moved or a negative status.
class BPositionIO {
public:
    virtual ~BPositionIO() = default;
    /// At the position, which moves past what was moved.
    ssize_t Read(void *buffer, size_t size);
    ssize_t Write(const void *buffer, size_t size);

    virtual ssize_t ReadAt(off_t position, void *buffer, size_t size) = 0;
    virtual ssize_t WriteAt(off_t position, const void *buffer, size_t size) = 0;
    /// `seekMode` is SEEK_SET, SEEK_CUR or SEEK_END; returns the new position
    /// or a negative status.
    virtual off_t Seek(off_t position, uint32 seekMode) = 0;
    virtual off_t Position() const = 0;
};

/// A stream in memory that grows as it is written; writing past the end
/// fills the gap with zero bytes.
class BMallocIO : public BPositionIO {
public:
    BMallocIO() = default;

    ssize_t ReadAt(off_t position, void *buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void *buffer, size_t size) override;
    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override { return position_; }

    const void *Buffer() const { return data_.data(); }
    size_t BufferLength() const { return data_.size(); }

private:
    std::vector<uint8_t> data_;
    off_t position_ = 0;
};
