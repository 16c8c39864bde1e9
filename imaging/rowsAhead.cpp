#include "imaging/rowsAhead.h"

#include <algorithm>

namespace {

/// Rows held at once on two threads. Each side waits for the other only
/// for many rows at a time, so that a wake-up, which costs far more than a
/// row, is rare.
constexpr uint32_t kRingRows = 64;
constexpr uint32_t kBatchRows = kRingRows / 4;

} // namespace

rowsAhead_t::rowsAhead_t(fileRows_t *file, secondThread_t *thread)
    : file_(file), height_(file->picture().height), rowBytes_(size_t(file->picture().width) * 4),
      ringRows_(thread != nullptr ? kRingRows : 1), ring_(rowBytes_ * ringRows_)
{
    if (thread != nullptr)
        decoding_.reset(new besideTask_t(*thread, [this] {
            // Whatever stops the decoding ends the caller's wait with it.
            try {
                decodeAll();
            } catch (...) {
                {
                    std::lock_guard<std::mutex> lock(mutex_);
                    failed_ = true;
                }
                changed_.notify_all();
            }
        }));
}

rowsAhead_t::~rowsAhead_t()
{
    if (decoding_ == nullptr)
        return;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    changed_.notify_all();
    decoding_.reset();
}

void rowsAhead_t::decodeAll()
{
    for (uint32_t row = 0; row < height_; ++row) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            if (uint64_t(row) >= uint64_t(taken_) + ringRows_) {
                // Full: on again once a batch of rows is free.
                decoderWaits_ = true;
                changed_.wait(lock, [&] { return stop_ || uint64_t(row) + kBatchRows <= uint64_t(taken_) + ringRows_; });
                decoderWaits_ = false;
            }
            if (stop_)
                return;
        }
        const bool decoded = file_->readRow(slot(row));
        std::lock_guard<std::mutex> lock(mutex_);
        if (decoded)
            made_ = row + 1;
        else
            failed_ = true;
        if (callerWaits_ && (made_ >= wanted_ || failed_))
            changed_.notify_all();
        if (failed_)
            return;
    }
    const bool finished = file_->finish();
    std::lock_guard<std::mutex> lock(mutex_);
    ended_ = true;
    finishedWell_ = finished;
    if (callerWaits_)
        changed_.notify_all();
}

const uint8_t *rowsAhead_t::row(uint32_t row)
{
    if (decoding_ == nullptr) {
        // The file gives its rows in order: those skipped are read and
        // dropped.
        for (; made_ <= row; ++made_)
            if (!file_->readRow(slot(made_)))
                return nullptr;
        return slot(row);
    }
    std::unique_lock<std::mutex> lock(mutex_);
    // The rows above this one are done with.
    taken_ = row;
    if (decoderWaits_ && uint64_t(made_) + kBatchRows <= uint64_t(taken_) + ringRows_)
        changed_.notify_all();
    if (made_ <= row && !failed_) {
        wanted_ = std::min(height_, row + kBatchRows);
        callerWaits_ = true;
        changed_.wait(lock, [&] { return made_ >= wanted_ || failed_; });
        callerWaits_ = false;
    }
    return made_ > row ? slot(row) : nullptr;
}

bool rowsAhead_t::finish()
{
    if (decoding_ == nullptr) {
        // The rows below the last one asked for are still read: the whole
        // decode refuses a file damaged there.
        for (; made_ < height_; ++made_)
            if (!file_->readRow(slot(made_)))
                return false;
        return file_->finish();
    }
    std::unique_lock<std::mutex> lock(mutex_);
    taken_ = height_;
    if (decoderWaits_)
        changed_.notify_all();
    callerWaits_ = true;
    wanted_ = height_;
    changed_.wait(lock, [&] { return ended_ || failed_; });
    callerWaits_ = false;
    return ended_ && finishedWell_ && !failed_;
}
