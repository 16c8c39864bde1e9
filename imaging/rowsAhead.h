// The rows of a file being decoded, made on the run's second thread ahead of
// the zoom that takes them: decoding and zooming overlap, and a row is only
// held while the zoom may still need it.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

#include "base/secondThread.h"
#include "decoders/fileRows.h"

class rowsAhead_t {
public:
    /// Decodes on `thread` when given, otherwise each row when it is asked
    /// for.
    rowsAhead_t(fileRows_t *file, secondThread_t *thread);
    /// Stops the decoding and waits for it.
    ~rowsAhead_t();
    rowsAhead_t(const rowsAhead_t &) = delete;
    rowsAhead_t &operator=(const rowsAhead_t &) = delete;

    /// Row `row`, asked for in rising order, each once, rows between may be
    /// skipped; valid until the next call; null when the data is damaged.
    const uint8_t *row(uint32_t row);
    /// Once the caller needs no more rows: decodes the rest and checks the
    /// file's end (fileRows_t::finish); false when either fails.
    bool finish();

private:
    /// The second thread's work: every row, then the end.
    void decodeAll();
    uint8_t *slot(uint32_t row) { return &ring_[size_t(row % ringRows_) * rowBytes_]; }

    fileRows_t *const file_;
    const uint32_t height_;
    const size_t rowBytes_;
    const uint32_t ringRows_;
    std::vector<uint8_t> ring_;
    std::mutex mutex_;
    std::condition_variable changed_;
    uint32_t made_ = 0;  ///< rows decoded
    uint32_t taken_ = 0; ///< rows the caller is done with
    uint32_t wanted_ = 0; ///< while the caller waits: the rows it waits for
    bool callerWaits_ = false;
    bool decoderWaits_ = false;
    bool failed_ = false;
    bool ended_ = false; ///< the decoding is over, with finishedWell_
    bool finishedWell_ = false;
    bool stop_ = false;
    /// Last, so that it ends before what it uses.
    std::unique_ptr<besideTask_t> decoding_;
};
