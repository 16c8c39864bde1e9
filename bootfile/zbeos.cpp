#include "bootfile/zbeos.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "bootfile/gziptools.h"
#include "bootfile/keptText.h"
#include "bootfile/littleEndian.h"
#include "bootfile/safeSave.h"
#include "bootfile/traceStep.h"
#include "driver/errors.h"

namespace {

const char *const notFound = "File not found";
const char *const troublesReading = "troubles reading";
const char *const notABooter = "doesn't look like a zbeos booter";
const char *const cannotUncompress = "cannot uncompress loader\n";

const unsigned splashHeaderSize = sizeof secondSignature;
const unsigned trailerSize = 8;
const unsigned long maxSplashSize = 1048576;

struct descriptor_t {
    int fd;
    ~descriptor_t()
    {
        if (fd >= 0)
            close(fd);
    }
};

// Reads the whole file. Only a regular file qualifies: a directory opens
// read-only, and a pipe or device has no size to take. O_NONBLOCK keeps a
// FIFO without a writer from hanging the run.
std::vector<unsigned char> readWholeFile(const char *path)
{
    descriptor_t file{open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC)};
    if (file.fd < 0)
        throw cagada_t(path, notFound);
    struct stat status;
    if (fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode))
        throw cagada_t(path, troublesReading);
    off_t end = lseek(file.fd, 0, SEEK_END);
    // The sections are measured in 32 bits.
    if (end < 0 || uint64_t(end) > UINT32_MAX)
        throw cagada_t(path, troublesReading);
    const uint64_t size = uint64_t(end);
    TRACE(8, "loading %llu bytes from %s\n", static_cast<unsigned long long>(size), path);

    std::vector<unsigned char> contents(size);
    if (lseek(file.fd, 0, SEEK_SET) != 0)
        throw cagada_t(path, troublesReading);
    uint64_t got = 0;
    while (got < size) {
        ssize_t count = read(file.fd, contents.data() + got, size - got);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            break;
        got += uint64_t(count);
    }
    if (got != size)
        throw cagada_t(path, troublesReading);
    return contents;
}

// Inflates the freshly written splash member and compares it with the pack
// it was made from, so that a damaged write never replaces a good file.
void verifySplash(safeFile_t &file, uint64_t offset, unsigned long memberLength,
                  const unsigned char *pack, unsigned packLength)
{
    std::vector<unsigned char> written(memberLength);
    file.ReadBack(offset, written.data(), memberLength);
    std::vector<unsigned char> inflated(packLength);
    unsigned long inflatedLength = packLength;
    int code = guncompress(inflated.data(), &inflatedLength, written.data(),
                           memberLength - trailerSize);
    const unsigned char *trailer = written.data() + memberLength - trailerSize;
    if (code != Z_OK || inflatedLength != packLength ||
        memcmp(inflated.data(), pack, packLength) != 0 ||
        getLE32(trailer) != uint32_t(crc32(0L, inflated.data(), packLength)) ||
        getLE32(trailer + 4) != packLength)
        file.Fail(strerror(EIO));
}

} // namespace

zbeos_t::zbeos_t(const char *path) : headSectionsSize(0), splashHeader{}
{
    path = keptText(path);
    traceStep_t outer;
    TRACE(8, "loading zbeos image\n");
    traceStep_t inner;

    std::vector<unsigned char> file = readWholeFile(path);
    const uint64_t size = file.size();
    const unsigned char *bytes = file.data();
    TRACE(8, "dissecting zbeos...\n");

    uint64_t loader = 0;
    while (loader + sizeof firstSignature < size &&
           !checkZSig(bytes + loader, firstSignature, sizeof firstSignature))
        ++loader;
    if (loader + sizeof firstSignature >= size)
        throw cagada_t(path, notABooter);

    // The search starts on the loader header itself: the splash member must
    // come after it, with at least one byte behind its header.
    uint64_t splash = loader;
    while (splash + splashHeaderSize < size &&
           !checkZSig(bytes + splash, secondSignature, splashHeaderSize))
        ++splash;
    if (splash + splashHeaderSize >= size)
        throw cagada_t(path, notABooter);

    headSectionsSize = uint32_t(splash);
    headSections.reset(new unsigned char[splash]);
    memcpy(headSections.get(), bytes, splash);
    {
        traceStep_t step;
        TRACE(8, "first  section %u bytes\n", unsigned(loader));
        TRACE(8, "second section %u bytes (loader compressed)\n", unsigned(splash - loader));
        TRACE(8, "third  section %u bytes (splash compressed)\n", unsigned(size - splash));
    }
    memcpy(splashHeader, bytes + splash, splashHeaderSize);

    // The trailer is located by position and never read.
    const uint64_t afterHeader = size - splash - splashHeaderSize;
    if (afterHeader < trailerSize)
        throw cagada_t(path, cannotUncompress);
    std::vector<unsigned char> pack(maxSplashSize);
    unsigned long packLength = maxSplashSize;
    if (guncompress(pack.data(), &packLength, bytes + splash + splashHeaderSize,
                    afterHeader - trailerSize) != Z_OK)
        throw cagada_t(path, cannotUncompress);
    {
        traceStep_t step;
        TRACE(8, "third  section %lu bytes (splash expanded)\n", packLength);
    }
    iconPack.reset(new zbeosIconPack_t(pack.data(), unsigned(packLength)));
}

zbeos_t::~zbeos_t() = default;

void zbeos_t::DefineScreen(unsigned width, unsigned height, unsigned depth)
{
    iconPack->DefineScreen(width, height, depth);
}

void zbeos_t::IconsAt(unsigned x, unsigned y) { iconPack->IconsAt(x, y); }

void zbeos_t::AddImage(loadedImage_t *image) { iconPack->AddImage(image); }

void zbeos_t::Save(const char *path) const
{
    unsigned packLength = 0;
    std::unique_ptr<unsigned char[]> pack(iconPack->Serialize(&packLength));

    // Room for the trailer is kept outside the capacity given to deflate, so
    // the trailer can never land past the buffer.
    const unsigned long capacity = 2 * static_cast<unsigned long>(packLength);
    std::unique_ptr<unsigned char[]> member(new unsigned char[capacity + trailerSize]);
    unsigned long compressedLength = capacity;
    unsigned long crc = 0;
    int code = gcompress(member.get(), &compressedLength, pack.get(), packLength, &crc);
    if (code != Z_OK)
        throw cagada_t(keptText(path), zError(code));
    putLE32(member.get() + compressedLength, uint32_t(crc));
    putLE32(member.get() + compressedLength + 4, packLength);
    const unsigned long memberLength = compressedLength + trailerSize;

    safeFile_t file(path);
    file.Write(headSections.get(), headSectionsSize);
    file.Write(splashHeader, splashHeaderSize);
    file.Write(member.get(), memberLength);
    verifySplash(file, uint64_t(headSectionsSize) + splashHeaderSize, memberLength, pack.get(),
                 packLength);
    file.Commit();
}
