#include "bootfile/zbeos.h"

#include <cerrno>
#include <cstring>
#include <vector>
#include <zlib.h>

#include "bootfile/gziptools.h"
#include "bootfile/littleEndian.h"
#include "bootfile/safeSave.h"
#include "diagnostics/traceStep.h"
#include "bootfile/zbeosLayout.h"
#include "diagnostics/errors.h"

namespace {

const unsigned splashHeaderSize = zbeosSplashHeaderSize;
const unsigned trailerSize = zbeosTrailerSize;

// Inflates the splash member as read back from the disk and compares it with
// the pack it was made from: the bytes already match what was written, so
// this catches a member that was wrong before it was written.
void verifySplash(const safeFile_t &file, const unsigned char *member, unsigned long memberLength,
                  const unsigned char *pack, unsigned packLength)
{
    std::vector<unsigned char> inflated(packLength);
    unsigned long inflatedLength = packLength;
    int code = guncompress(inflated.data(), &inflatedLength, member, memberLength - trailerSize);
    const unsigned char *trailer = member + memberLength - trailerSize;
    if (code != Z_OK || inflatedLength != packLength ||
        memcmp(inflated.data(), pack, packLength) != 0 ||
        getLE32(trailer) != uint32_t(crc32(0L, inflated.data(), packLength)) ||
        getLE32(trailer + 4) != packLength)
        file.Fail(strerror(EIO));
}

} // namespace

zbeos_t::zbeos_t(const char *path) : headSectionsSize(0), splashHeader{}
{
    traceStep_t titled(8, "loading zbeos image\n");

    const std::vector<unsigned char> file = readZbeosFile(path);
    const zbeosLayout_t layout = dissectZbeos(file.data(), file.size(), path);

    headSectionsSize = uint32_t(layout.splashOffset);
    headSections.reset(new unsigned char[layout.splashOffset]);
    memcpy(headSections.get(), file.data(), layout.splashOffset);
    memcpy(splashHeader, file.data() + layout.splashOffset, splashHeaderSize);

    const std::vector<unsigned char> pack = inflateSplash(file.data(), layout, path);
    iconPack.reset(new zbeosIconPack_t(pack.data(), unsigned(pack.size())));
}

zbeos_t::~zbeos_t() = default;

void zbeos_t::DefineScreen(unsigned width, unsigned height, unsigned depth)
{
    iconPack->DefineScreen(width, height, depth);
}

void zbeos_t::IconsAt(unsigned x, unsigned y) { iconPack->IconsAt(x, y); }

void zbeos_t::AddImage(loadedImage_t *image) { iconPack->AddImage(image); }

void zbeos_t::Save(const char *path, const renderOptions_t &options) const
{
    // A splash that does not inflate into the boot loader's buffer would
    // make a file that cannot boot (and that this tool cannot read again).
    // Its size follows from the images' sizes, so it is refused before the
    // palette is chosen.
    if (iconPack->SerializedSize() > zbeosMaxSplashSize)
        throw cagada_t(path, "new splash is larger than 1048576 bytes");
    unsigned packLength = 0;
    std::unique_ptr<unsigned char[]> pack(iconPack->Serialize(&packLength, options));

    // Room for the trailer is kept outside the capacity given to deflate, so
    // the trailer can never land past the buffer.
    const unsigned long capacity = 2 * static_cast<unsigned long>(packLength);
    std::unique_ptr<unsigned char[]> member(new unsigned char[capacity + trailerSize]);
    unsigned long compressedLength = capacity;
    unsigned long crc = 0;
    // Dithered pixels repeat in short, slightly different runs, on which
    // level 9's long match searches cost 4 to 12 times level 6's for about
    // the same size; the header's XFL then no longer claims maximum
    // compression.
    const int level = options.dither ? 6 : 9;
    unsigned char header[splashHeaderSize];
    memcpy(header, splashHeader, splashHeaderSize);
    if (level != 9)
        header[8] = 0;
    int code = gcompress(member.get(), &compressedLength, pack.get(), packLength, &crc, level);
    if (code != Z_OK)
        throw cagada_t(path, zError(code));
    putLE32(member.get() + compressedLength, uint32_t(crc));
    putLE32(member.get() + compressedLength + 4, packLength);
    const unsigned long memberLength = compressedLength + trailerSize;

    safeFile_t file(path);
    file.Write(headSections.get(), headSectionsSize);
    file.Write(header, splashHeaderSize);
    file.Write(member.get(), memberLength);
    const std::vector<unsigned char> onDisk = file.Flush();
    verifySplash(file, onDisk.data() + headSectionsSize + splashHeaderSize, memberLength, pack.get(),
                 packLength);
    file.Commit();
}
