// Checking a splash member while it is being made: its deflate data is
// inflated piece by piece, as the codec gives it out, and compared with the
// pack it was made from, so that the check is done when the codec is.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

/// Whether raw deflate data, given in order in any pieces, inflates to
/// exactly `expected` and is followed by a gzip trailer that matches it.
/// Never holds more than a small window of inflated bytes.
class inflateCheck_t {
public:
    /// `expected` must outlive the check.
    explicit inflateCheck_t(const std::vector<unsigned char> &expected);
    ~inflateCheck_t();
    inflateCheck_t(const inflateCheck_t &) = delete;
    inflateCheck_t &operator=(const inflateCheck_t &) = delete;

    /// The next piece of the deflate data.
    void Take(const unsigned char *bytes, size_t size) noexcept;
    /// True when the data ended exactly where `expected` does, with nothing
    /// after it, and the trailer (CRC-32, then length, little-endian) is
    /// `expected`'s.
    bool Matches(const unsigned char trailer[8]) const;

private:
    const std::vector<unsigned char> &expected;
    struct state_t;
    std::unique_ptr<state_t> state;
    bool wrong = false;
    bool ended = false;
    uint64_t inflated = 0;
    unsigned long crc = 0;
};
