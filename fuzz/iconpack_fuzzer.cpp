// The icon pack parser on arbitrary bytes; a pack it accepts must survive a
// round trip through its layout with everything it keeps unchanged.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "bootfile/littleEndian.h"
#include "bootfile/iconPack.h"
#include "diagnostics/errors.h"
#include "fuzzSupport.h"

namespace {

// An image record is written back as its header announces it (16 bytes and
// width x height pixels); bytes its area held beyond that are not kept.
bool sameRecord(const std::vector<uint8_t> &written, const std::vector<uint8_t> &read)
{
    const uint64_t size = 16 + uint64_t(getLE32(read.data())) * getLE32(read.data() + 4);
    return written.size() == size && read.size() >= size && memcmp(written.data(), read.data(), size) == 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTrace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The parser is given exactly the input, so reads past it are caught.
    std::unique_ptr<zbeosIconPack_t> pack;
    try {
        pack.reset(new zbeosIconPack_t(data, unsigned(size)));
    } catch (const dawnmarkError_t &) {
        return 0;
    }

    // Placing the strip must keep it on the screen whatever its size.
    pack->DefineScreen(640, 480, 8);
    pack->IconsAt(data[0] * 3u, size > 1 ? data[1] * 2u : 0u);

    // A splash without pictures that keeps the pack's palette.
    const newSplash_t splash(pack->Palette(), {}, nullptr);
    std::vector<uint8_t> serialized;
    try {
        serialized.resize(pack->SerializedSize());
    } catch (const dawnmarkError_t &) {
        return 0; // too large for the pack's 32-bit lengths
    }
    pack->Layout(splash, serialized.data(), [](uint64_t) {});
    zbeosIconPack_t again(serialized.data(), unsigned(serialized.size()));
    if (memcmp(again.Palette(), pack->Palette(), kPaletteBytes) != 0 ||
        !sameRecord(again.Icons(), pack->Icons()) || !sameRecord(again.OffIcons(), pack->OffIcons()))
        abort();
    const screenGeometry_t &screen = again.Screen();
    if (screen.width != 640 || screen.height != 480 || screen.depth != 8)
        abort();
    return 0;
}
