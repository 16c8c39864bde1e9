#include "bootfile/zbeos.h"

#include <cerrno>
#include <cstring>
#include <optional>
#include <vector>
#include <zlib.h>

#include "bootfile/backgroundDeflate.h"
#include "bootfile/inflateCheck.h"
#include "bootfile/littleEndian.h"
#include "bootfile/safeSave.h"
#include "diagnostics/traceStep.h"
#include "bootfile/zbeosLayout.h"
#include "diagnostics/errors.h"
#include "diagnostics/mappedAtOnce.h"
#include "imaging/besideTask.h"
#include "imaging/render.h"

namespace {

const unsigned splashHeaderSize = zbeosSplashHeaderSize;
const unsigned trailerSize = zbeosTrailerSize;

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

void zbeos_t::AddImage(const loadedImage_t *image) { iconPack->AddImage(image); }

void zbeos_t::UseIcons(const loadedImage_t *lit, const char *litName, const loadedImage_t *unlit,
                       const char *unlitName)
{
    iconPack->UseIcons(lit, litName, unlit, unlitName);
}

std::vector<unsigned char> zbeos_t::Save(const char *path, const renderOptions_t &options) const
{
    // A splash that does not inflate into the boot loader's buffer would
    // make a file that cannot boot (and that this tool cannot read again).
    // Its size follows from the images' sizes, so it is refused before the
    // palette is chosen.
    const uint64_t packLength = iconPack->SerializedSize();
    if (packLength > zbeosMaxSplashSize)
        throw dawnmarkError_t(path, "new splash is larger than 1048576 bytes");

    // Dithered pixels repeat in short, slightly different runs, on which
    // level 9's long match searches cost 4 to 12 times level 6's for about
    // the same size; the header's XFL then no longer claims maximum
    // compression.
    const int level = options.dither ? 6 : 9;
    unsigned char header[splashHeaderSize];
    memcpy(header, splashHeader, splashHeaderSize);
    if (level != 9)
        header[8] = 0;

    std::vector<unsigned char> pack;
    unsigned long crc = 0;
    // The codec lasts to the end: the stretch checked last is in its stream.
    std::optional<backgroundDeflate_t> deflate;
    {
        splashRenderer_t renderer(iconPack->images, iconPack->imageCount, options, iconPack->Frame());
        // The pack and the codec come once the palette is chosen, which
        // needs the most memory on its own. The codec takes the pack's
        // bytes as they are laid out, so that mapping the images and
        // deflating them overlap.
        resizeMappedAtOnce(pack, size_t(packLength));
        deflate.emplace(pack.data(), packLength, level);
        const std::vector<quantizedImage_t> strips = renderer.MapIcons();
        iconPack->Layout(
            renderer.Palette(), strips,
            [&](unsigned i, uint8_t *indices, const rowsMapped_t &rowsMapped) { renderer.Map(i, indices, rowsMapped); },
            pack.data(), [&](uint64_t bytes) { deflate->Ready(bytes); });
    }
    // The renderer and its tables are gone while the codec finishes. What it
    // gives out is written and inflated again at once: a member that does
    // not inflate to the pack was wrong before it was written. The file's
    // bytes are compared with what was written, so the bytes checked here
    // stand for what is on the disk.
    safeFile_t file(path);
    inflateCheck_t check(pack);
    file.Write(headSections.get(), headSectionsSize);
    file.Write(header, splashHeaderSize);
    const unsigned char *unchecked = nullptr;
    size_t uncheckedSize = 0;
    const int code = deflate->Finish(nullptr, &crc, [&](const unsigned char *bytes, size_t size, bool last) {
        file.Write(bytes, size);
        if (last) {
            unchecked = bytes;
            uncheckedSize = size;
        } else {
            check.Take(bytes, size);
        }
    });
    if (code != Z_OK)
        throw dawnmarkError_t(path, zError(code));
    unsigned char trailer[trailerSize];
    putLE32(trailer, uint32_t(crc));
    putLE32(trailer + 4, uint32_t(packLength));
    file.Write(trailer, trailerSize);

    // The last stretch, the codec's last block, comes with its end: it is
    // checked while the file is flushed and read back.
    bool matches = false;
    besideTask_t lastStretch([&] {
        check.Take(unchecked, uncheckedSize);
        matches = check.Matches(trailer);
    });
    file.Flush();
    lastStretch.Wait();
    if (!matches)
        file.Fail(strerror(EIO));
    file.Commit();
    return pack;
}
