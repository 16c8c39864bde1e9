#include "renderedSplash_support.h"

#include <cstring>
#include <memory>

#include "fixtures/testThread.h"

newSplash_t renderedFor(const uint8_t *palette, const std::vector<const loadedImage_t *> &images,
                        const renderOptions_t &options)
{
    splashFrame_t frame;
    memcpy(frame.palette, palette, sizeof frame.palette);
    return packSplashOf(
        std::make_shared<splashRenderer_t>(images.data(), unsigned(images.size()), options, frame, testThread()));
}

bytes_t laidOut(const zbeosIconPack_t &pack, const newSplash_t &splash)
{
    bytes_t out(pack.SerializedSize());
    pack.Layout(splash, out.data(), [](uint64_t) {});
    return out;
}
