#include "bootfile/zbeosSections.h"

#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>
#include <zlib.h>

#include "bootfile/gziptools.h"
#include "diagnostics/traceStep.h"
#include "diagnostics/errors.h"
#include "base/transferFully.h"

namespace {

const char *const notFound = "File not found";
const char *const troublesReading = "troubles reading";
const char *const notABooter = "doesn't look like a zbeos booter";
const char *const cannotUncompress = "cannot uncompress loader\n";

struct descriptor_t {
    int fd;
    ~descriptor_t()
    {
        if (fd >= 0)
            close(fd);
    }
};

// The first position at or after from where the header template matches,
// or size when none does. A match needs at least one byte behind the
// template.
uint64_t findHeader(const unsigned char *bytes, uint64_t size, uint64_t from,
                    const unsigned char *signature, unsigned length)
{
    for (uint64_t at = from; at + length < size; ++at)
        if (checkZSig(bytes + at, signature, length))
            return at;
    return size;
}

} // namespace

// A regular file or a character device is read for as many bytes as its end
// lies from its start (none for /dev/null or /dev/zero). A directory opens
// read-only but holds no data, a pipe or socket has no size to take, and a
// block device would be a whole disk. O_NONBLOCK keeps a FIFO without a
// writer from hanging the run.
std::vector<unsigned char> readZbeosFile(const char *path)
{
    descriptor_t file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        throw dawnmarkError_t(path, notFound);
    struct stat status;
    if (fstat(file.fd, &status) != 0 || !(S_ISREG(status.st_mode) || S_ISCHR(status.st_mode)))
        throw dawnmarkError_t(path, troublesReading);
    off_t end = lseek(file.fd, 0, SEEK_END);
    if (end < 0)
        throw dawnmarkError_t(path, troublesReading);
    const uint64_t size = uint64_t(end);
    TRACE(8, "loading %llu bytes from %s\n", static_cast<unsigned long long>(size), path);
    // The sections are measured in 32 bits.
    if (size > UINT32_MAX)
        throw dawnmarkError_t(path, troublesReading);

    std::vector<unsigned char> contents(size);
    if (lseek(file.fd, 0, SEEK_SET) != 0)
        throw dawnmarkError_t(path, troublesReading);
    const ssize_t got =
        transferFully(size, [&](size_t done) { return read(file.fd, contents.data() + done, size - done); });
    if (got < 0 || uint64_t(got) != size)
        throw dawnmarkError_t(path, troublesReading);
    return contents;
}

std::optional<zbeosSections_t> findZbeosSections(const unsigned char *bytes, uint64_t size)
{
    const uint64_t loader = findHeader(bytes, size, 0, firstSignature, sizeof firstSignature);
    if (loader == size)
        return std::nullopt;
    // The search starts on the loader header itself: the splash member must
    // come after it.
    const uint64_t splash = findHeader(bytes, size, loader, secondSignature, zbeosSplashHeaderSize);
    if (splash == size)
        return std::nullopt;
    return zbeosSections_t{loader, splash, size};
}

zbeosSections_t dissectZbeos(const unsigned char *bytes, uint64_t size, const char *path)
{
    TRACE(8, "dissecting zbeos...\n");
    const std::optional<zbeosSections_t> layout = findZbeosSections(bytes, size);
    if (!layout)
        throw dawnmarkError_t(path, notABooter);

    traceStep_t step;
    TRACE(8, "first  section %u bytes\n", unsigned(layout->loaderOffset));
    TRACE(8, "second section %u bytes (loader compressed)\n", unsigned(layout->splashOffset - layout->loaderOffset));
    TRACE(8, "third  section %u bytes (splash compressed)\n", unsigned(size - layout->splashOffset));
    return *layout;
}

std::vector<unsigned char> inflateSplash(const unsigned char *bytes, const zbeosSections_t &layout,
                                         const char *path)
{
    const uint64_t afterHeader = layout.size - layout.splashOffset - zbeosSplashHeaderSize;
    if (afterHeader < zbeosTrailerSize)
        throw dawnmarkError_t(path, cannotUncompress);
    // Room for the largest splash, left untouched beyond what the stream
    // fills: its pages cost nothing until written.
    std::unique_ptr<unsigned char[]> room(new unsigned char[packMaxSize]);
    unsigned long packLength = packMaxSize;
    if (guncompress(room.get(), &packLength, bytes + layout.splashOffset + zbeosSplashHeaderSize,
                    afterHeader - zbeosTrailerSize) != Z_OK)
        throw dawnmarkError_t(path, cannotUncompress);
    std::vector<unsigned char> pack(room.get(), room.get() + packLength);
    room.reset();
    {
        traceStep_t step;
        TRACE(8, "third  section %lu bytes (splash expanded)\n", packLength);
    }
    return pack;
}
