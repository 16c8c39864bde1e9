#include "bootfile/zbeos.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>
#include <zlib.h>

#include "base/mappedAtOnce.h"
#include "bootfile/backgroundDeflate.h"
#include "bootfile/inflateCheck.h"
#include "bootfile/littleEndian.h"
#include "bootfile/memberCheck.h"
#include "bootfile/safeSave.h"
#include "bootfile/zbeosSections.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"

namespace {

const unsigned splashHeaderSize = zbeosSplashHeaderSize;
const unsigned trailerSize = zbeosTrailerSize;

} // namespace

zbeos_t::zbeos_t(const char *path) : splashHeader{}
{
    traceStep_t titled(8, "loading zbeos image\n");

    const std::vector<unsigned char> file = readZbeosFile(path);
    const zbeosSections_t layout = dissectZbeos(file.data(), file.size(), path);

    headSections.assign(file.begin(), file.begin() + layout.splashOffset);
    memcpy(splashHeader, file.data() + layout.splashOffset, splashHeaderSize);

    const std::vector<unsigned char> pack = inflateSplash(file.data(), layout, path);
    iconPack.reset(new zbeosIconPack_t(pack.data(), unsigned(pack.size())));

    // The loader member is carried over as it is, so a damaged one would
    // make a boot loader that does not start. It is checked last, so that
    // a file damaged in several places is refused for the same reason as
    // the inspector gives first.
    std::vector<std::string> damage;
    addMemberDamage(loaderMemberName, checkLoaderMember(file.data(), layout), &damage);
    if (!damage.empty())
        throw dawnmarkError_t(path, damage.front());
}

zbeos_t::~zbeos_t() = default;

void zbeos_t::DefineScreen(unsigned width, unsigned height, unsigned depth)
{
    iconPack->DefineScreen(width, height, depth);
}

void zbeos_t::IconsAt(unsigned x, unsigned y) { iconPack->IconsAt(x, y); }

void zbeos_t::AddImage(const packPicture_t &picture) { iconPack->AddImage(picture); }

void zbeos_t::UseIcons(const packPicture_t &lit, const char *litName, const packPicture_t &unlit,
                       const char *unlitName)
{
    iconPack->UseIcons(lit, litName, unlit, unlitName);
}

void zbeos_t::RequireSplashFits(const char *path) const
{
    if (iconPack->SerializedSize() > packMaxSize)
        throw dawnmarkError_t(path, "new splash is larger than " + std::to_string(packMaxSize) + " bytes");
}

std::vector<unsigned char> zbeos_t::Save(const char *path, newSplash_t splash, int level,
                                         secondThread_t &thread, bool keepReplaced) const
{
    RequireSplashFits(path);
    const uint64_t packLength = iconPack->SerializedSize();
    // Below level 9 the header's XFL no longer claims maximum compression.
    unsigned char header[splashHeaderSize];
    memcpy(header, splashHeader, splashHeaderSize);
    if (level != 9)
        header[8] = 0;

    std::vector<unsigned char> pack;
    unsigned long crc = 0;
    // The codec takes the pack's bytes as they are laid out, so that making
    // the pictures' indices and deflating them overlap. It lasts to the
    // end: the stretch checked last is in its stream.
    resizeMappedAtOnce(pack, size_t(packLength));
    // What the codec gives out is inflated again at once, on the codec's
    // thread while the pack is still being laid out: a member that does not
    // inflate to the pack was wrong before it was written. The file's bytes
    // are compared with what was written, so the bytes checked here stand
    // for what is on the disk.
    inflateCheck_t check(pack);
    backgroundDeflate_t deflate(pack.data(), packLength, level, thread,
                                [&check](const unsigned char *bytes, size_t size) { check.Take(bytes, size); });
    iconPack->Layout(splash, pack.data(), [&](uint64_t bytes) { deflate.Ready(bytes); });
    // What made the indices, and its tables, is gone while the codec
    // finishes.
    splash.ReleasePictureRows();
    safeFile_t file(path);
    file.Write(headSections.data(), headSections.size());
    file.Write(header, splashHeaderSize);
    const int code = deflate.Finish(&crc, [&](const unsigned char *bytes, size_t size, bool) {
        file.Write(bytes, size);
    });
    if (code != Z_OK)
        throw dawnmarkError_t(path, zError(code));
    unsigned char trailer[trailerSize];
    putLE32(trailer, uint32_t(crc));
    putLE32(trailer + 4, uint32_t(packLength));
    file.Write(trailer, trailerSize);

    file.Flush();
    if (!check.Matches(trailer))
        file.Fail(strerror(EIO));
    file.Commit(keepReplaced);
    return pack;
}
