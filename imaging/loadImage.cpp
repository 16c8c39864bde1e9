#include "imaging/loadImage.h"

#include <new>
#include <utility>

#include "decoders/decodeFile.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"

namespace {

const char *const kLoadError = "LoadImage error";

} // namespace

imageRefusal_t::imageRefusal_t(const char *reason, std::string why)
    : dawnmarkError_t(kLoadError, reason), why(std::move(why))
{
}

loadedImage_t loadImage(const char *path, leastSize_t least)
{
    decodedFile_t file = decodeFile(path, least);
    // The load's own lines, one step in; the step is taken back when a
    // refusal leaves.
    traceStep_t step;
    // What the file states of its pixels, shown as the header of the bitmap
    // stream it is or would be; a stream's header is shown even when it is
    // then refused.
    if (file.header) {
        TRACE(1, "RowBytes: %d\n", file.header->rowBytes);
        TRACE(1, "Colors  : %x\n", file.header->colors);
        TRACE(0, "DataSize: %d\n", file.header->dataSize);
    }
    // A file that cannot be opened or decoded says why in the trace, just
    // before the error line, which stays as it always was; a bitmap
    // stream's header says it in the error line itself. The refusal carries
    // why for a form whose error line names the file.
    switch (file.refusedBy) {
    case refusedBy_t::nothing:
        break;
    case refusedBy_t::opening:
        TRACE(1, "cannot open %s: %s\n", path, file.reason.c_str());
        throw imageRefusal_t("", file.reason);
    case refusedBy_t::decoding:
        TRACE(1, "cannot decode %s: %s\n", path, file.reason.c_str());
        throw imageRefusal_t("", file.reason);
    case refusedBy_t::streamHeader:
        throw imageRefusal_t(file.reason.c_str(), file.reason);
    // A stream's pixels that do not fit end the run as any allocation
    // failure does, once its header is shown.
    case refusedBy_t::memory:
        throw std::bad_alloc();
    }

    // Only -v tells that the pixels are not quite as stored.
    if (!file.colourProfile.empty())
        TRACE(1, "%s\n", file.colourProfile.c_str());
    if (file.turnedFrom != 1)
        TRACE(1, "turned upright: EXIF orientation %u\n", file.turnedFrom);

    loadedImage_t image;
    image.width = file.bitmap.width;
    image.height = file.bitmap.height;
    image.hasAlpha = file.bitmap.alpha;
    image.overhangRight = file.bitmap.overhangRight;
    image.overhangBottom = file.bitmap.overhangBottom;
    image.pixels.swap(file.bitmap.pixels);
    TRACE(0, "Geometry: %dx%d\n", image.width, image.height);
    if (file.bitmap.frames > 1)
        TRACE(1, "%u frames: the first is shown\n", unsigned(file.bitmap.frames));
    return image;
}
