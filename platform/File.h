// Stand-in for the file of the original platform's Storage Kit: a
// positionable stream over an open file.
#pragma once

#include "platform/DataIO.h"

/// The open mode: image files are only ever read.
enum : uint32 { B_READ_ONLY = 0 };

/// A regular file opened by path for reading. A file that cannot be opened
/// still makes an object: InitCheck tells, and every read then fails. Every
/// write fails.
class BFile : public BPositionIO {
public:
    BFile(const char *path, uint32 openMode);
    ~BFile() override;
    BFile(const BFile &) = delete;
    BFile &operator=(const BFile &) = delete;

    status_t InitCheck() const;

    ssize_t ReadAt(off_t position, void *buffer, size_t size) override;
    ssize_t WriteAt(off_t position, const void *buffer, size_t size) override;
    off_t Seek(off_t position, uint32 seekMode) override;
    off_t Position() const override;

private:
    int fd_ = -1;
    status_t status_ = B_NO_INIT;
};
