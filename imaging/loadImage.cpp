#include "imaging/loadImage.h"

#include <memory>
#include <new>
#include <optional>
#include <utility>

#include "decoders/decodeFile.h"
#include "decoders/fileRows.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceStep.h"
#include "imaging/rowsAhead.h"

namespace {

const char *const kLoadError = "LoadImage error";

/// What the file states of its pixels, shown as the header of the bitmap
/// stream it is or would be; a stream's header is shown even when it is
/// then refused.
void traceHeader(const bitmapStreamHeader_t &header)
{
    TRACE(1, "RowBytes: %d\n", header.rowBytes);
    TRACE(1, "Colors  : %x\n", header.colors);
    TRACE(0, "DataSize: %d\n", header.dataSize);
}

/// The rest of a load's lines, once it has given an image: `picture` tells
/// its size and frames.
void traceLoaded(const std::string &colourProfile, unsigned turnedFrom, const decodedBitmap_t &picture)
{
    // Only -v tells that the pixels are not quite as stored.
    if (!colourProfile.empty())
        TRACE(1, "%s\n", colourProfile.c_str());
    if (turnedFrom != 1)
        TRACE(1, "turned upright: EXIF orientation %u\n", turnedFrom);
    TRACE(0, "Geometry: %dx%d\n", picture.width, picture.height);
    if (picture.frames > 1)
        TRACE(1, "%u frames: the first is shown\n", unsigned(picture.frames));
}

/// Thrown out of a zoom whose rows are damaged.
struct rowsFailed_t {};

/// The file's rows zoomed as they are decoded (on `thread` when given), with
/// the lines loadImage and the zoom trace; nothing when the file is to be
/// decoded whole after all.
std::optional<zoomedLoad_t> zoomWhileDecoding(fileRows_t *file, const filteredZoom_t &zoom, secondThread_t *thread)
{
    const decodedBitmap_t &picture = file->picture();
    zoomedLoad_t load;
    load.storedWidth = picture.width;
    load.storedHeight = picture.height;
    {
        traceStep_t step;
        traceHeader(bitmapStreamHeaderOf(picture));
        traceLoaded(file->colourProfile(), file->turnedFrom(), picture);
    }
    try {
        rowsAhead_t rows(file, thread);
        const auto next = [&](uint32_t row) -> const uint8_t * {
            if (const uint8_t *pixels = rows.row(row))
                return pixels;
            throw rowsFailed_t();
        };
        load.image = zoomRowsAsPlanned(picture, zoom, next);
        if (!rows.finish())
            return std::nullopt;
    } catch (const rowsFailed_t &) {
        return std::nullopt;
    } catch (const std::bad_alloc &) {
        // The whole decode fails alike, after its own lines.
        return std::nullopt;
    }
    return load;
}

/// Writes lines kept at depth 0 at this thread's depth.
void traceKeptLines(const std::string &kept)
{
    size_t at = 0;
    for (size_t end; (end = kept.find('\n', at)) != std::string::npos; at = end + 1)
        TRACE(0, "%s\n", kept.substr(at, end - at).c_str());
}

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
    if (file.header)
        traceHeader(*file.header);
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

    traceLoaded(file.colourProfile, file.turnedFrom, file.bitmap);
    const decodedBitmap_t &bitmap = file.bitmap;
    return loadedImage_t(bitmap.width, bitmap.height, std::move(file.bitmap.pixels), bitmap.alpha,
                         bitmap.overhangRight, bitmap.overhangBottom);
}

zoomedLoad_t loadImageZoomed(const char *path, leastSize_t least, const filteredZoom_t &zoom, secondThread_t *thread)
{
    // Decoded a row at a time, the file is never held beside the pixels. A
    // picture kept at its size is decoded on this thread: handing its rows
    // over from the second thread only cost time, with no zoom to overlap.
    if (std::unique_ptr<fileRows_t> rows = openFileRows(path, least)) {
        // Kept until the zoom is done: a file that turns out to be damaged
        // is decoded whole, which tells why in its own lines.
        std::string kept;
        std::optional<zoomedLoad_t> load;
        {
            const traceKept_t keeping(&kept, 0);
            load = zoomWhileDecoding(rows.get(), zoom, zoom.kind != filteredZoom_t::none ? thread : nullptr);
        }
        if (load) {
            traceKeptLines(kept);
            return std::move(*load);
        }
    }
    zoomedLoad_t load;
    load.image = loadImage(path, least);
    load.storedWidth = load.image.width();
    load.storedHeight = load.image.height();
    zoomAsPlanned(&load.image, zoom, thread);
    return load;
}
