// The dissection of a boot loader file held in memory, as the editor and the
// inspector do it: find the sections, inflate the splash, parse its pack.
#include <cstdlib>
#include <vector>

#include "bootfile/iconPack.h"
#include "bootfile/zbeosSections.h"
#include "diagnostics/errors.h"
#include "fuzzSupport.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTrace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const char *const path = "fuzz input";
    try {
        zbeosSections_t layout = dissectZbeos(data, size, path);
        if (layout.size != size || layout.loaderOffset >= layout.splashOffset + 1 ||
            layout.splashOffset + zbeosSplashHeaderSize >= size)
            abort();
        std::vector<unsigned char> pack = inflateSplash(data, layout, path);
        if (pack.size() > packMaxSize)
            abort();
        zbeosIconPack_t iconPack(pack.data(), unsigned(pack.size()));
    } catch (const dawnmarkError_t &failure) {
        if (!failure.subject || !failure.reason)
            abort();
    }
    return 0;
}
