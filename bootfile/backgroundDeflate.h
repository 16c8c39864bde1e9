// Deflating a buffer on a thread of its own while the buffer is still being
// filled from its start, so that the codec's time overlaps the work that
// makes the bytes.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "base/secondThread.h"

/// Raw deflate of `length` bytes at `data`, exactly as one call of zlib
/// makes it (zlib gives the same stream however its input is split), on
/// `thread`, and their CRC-32, which Ready
/// takes on the caller's thread.
///
/// The buffer is shared while it is being filled, on these terms: the
/// caller fills it from its start and calls Ready(bytes) once the first
/// `bytes` are final; from then on it never writes them again, and the codec
/// reads nothing beyond them. Ready's lock hands the bytes over, so no
/// other synchronisation is needed. The buffer must outlive the object.
///
/// The thread always ends: by Finish, or by the destructor when the filling
/// ended early (an exception), which abandons the stream.
class backgroundDeflate_t {
public:
    /// Each stretch of the stream, in order, as the codec makes it.
    using stretch_t = std::function<void(const unsigned char *, size_t)>;

    /// `alongside`, when given, gets each stretch on the codec's thread, as
    /// soon as it is made: work on the stream that is then done when the
    /// stream is, while the caller is still filling the buffer. It must not
    /// throw: the caller would wait for the stream's end for ever.
    backgroundDeflate_t(const unsigned char *data, uint64_t length, int level, secondThread_t &thread,
                        stretch_t alongside = nullptr);
    ~backgroundDeflate_t();
    backgroundDeflate_t(const backgroundDeflate_t &) = delete;
    backgroundDeflate_t &operator=(const backgroundDeflate_t &) = delete;

    /// The first `bytes` of the data are final; never fewer than before.
    /// Their CRC-32 is taken here, on the caller's thread.
    void Ready(uint64_t bytes);
    /// Waits for the stream's end. Returns Z_OK with the CRC-32 of the data,
    /// or the zlib code of the failure. While it waits, `take` (if given) gets each stretch of
    /// the stream as the codec makes it, in order, on this thread; the last
    /// stretch of a whole stream (possibly empty) says so, and stays where
    /// it is until the destructor. After a failure it may have had part of
    /// a stream.
    int Finish(unsigned long *crc, const std::function<void(const unsigned char *, size_t, bool last)> &take = nullptr);

private:
    void Run();
    /// The codec's work, which leaves its outcome in `code`.
    void Deflate();
    /// The first `bytes` of the stream are final; `whole` when they are all
    /// of it.
    void Made(uint64_t bytes, bool whole = false);
    /// Gives `alongside` the stream's bytes up to `bytes` it has not had.
    void HandAlongside(uint64_t bytes);
    /// Waits until more bytes than `fed` are ready, or the stream is
    /// abandoned; returns how many are ready then (0 when abandoned).
    uint64_t WaitBeyond(uint64_t fed);

    const unsigned char *const data;
    const uint64_t length;
    const int level;
    const stretch_t alongside;

    std::mutex mutex;
    std::condition_variable more;
    uint64_t ready = 0;
    bool abandoned = false;
    /// The stream, written by the thread: its first `made` bytes are final,
    /// `complete` once they are the whole stream, and `ended` once the
    /// thread is done with it.
    std::condition_variable progress;
    std::unique_ptr<unsigned char[]> stream;
    uint64_t made = 0;
    bool complete = false;
    bool ended = false;

    /// The CRC-32 of the first `summed` bytes, kept by the caller's thread.
    unsigned long checksum = 0;
    uint64_t summed = 0;

    // Written by the thread only, read once it has been joined.
    int code = 0;
    uint64_t handed = 0; ///< bytes of the stream `alongside` has had

    /// Last, so that it ends before what it uses.
    std::unique_ptr<besideTask_t> worker;
};
