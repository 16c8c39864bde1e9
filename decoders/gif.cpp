// GIF through giflib: the first frame on the screen the file describes.
// The frame's transparent index keeps its colour at alpha 0; screen
// outside the frame takes the background colour at alpha 0, and frame
// outside the screen is cut off, as browsers do. The rest of the file is
// walked to its trailer, so that a file cut short anywhere is refused.
//
// giflib rather than stb_image, which makes transparent pixels black,
// leaves the screen around a frame black when the background index is 0,
// and refuses code streams that do not start with a clear code or that
// keep a full code table.
#include <algorithm>
#include <cstring>
#include <new>

#include <gif_lib.h>

#include "decoders/decodeFailure.h"
#include "decoders/gif.h"
#include "base/mappedAtOnce.h"

namespace {

struct gifSource_t {
    const uint8_t *data;
    size_t size;
    size_t offset;
    bool endedEarly; ///< a read asked for more than was left
};

int readFromMemory(GifFileType *gif, GifByteType *out, int length)
{
    auto *source = static_cast<gifSource_t *>(gif->UserData);
    const size_t count = std::min(size_t(std::max(length, 0)), source->size - source->offset);
    std::memcpy(out, source->data + source->offset, count);
    source->offset += count;
    if (int(count) < length)
        source->endedEarly = true;
    return int(count);
}

/// Closes the file on every way out of the decoder.
struct gifCloser_t {
    GifFileType *gif;
    ~gifCloser_t() { DGifCloseFile(gif, nullptr); }
};

// giflib names a file cut short by the part it was reading ("No screen
// descriptor detected"); the source knows better.
bool gifFailure(const gifSource_t &source, int error, decodeFailure_t *failure)
{
    if (source.endedEarly)
        return failure->give("GIF data ends early");
    const char *text = GifErrorString(error);
    return failure->give("damaged GIF: %s", text != nullptr ? text : "unknown error");
}

bool libraryFailure(GifFileType *gif, decodeFailure_t *failure)
{
    return gifFailure(*static_cast<gifSource_t *>(gif->UserData), gif->Error, failure);
}

/// Reads an extension; a graphic control extension gives the transparent
/// index of the frame that follows it.
bool readExtension(GifFileType *gif, int *transparent, decodeFailure_t *failure)
{
    int code;
    GifByteType *block;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return libraryFailure(gif, failure);
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        GraphicsControlBlock control;
        DGifExtensionToGCB(block[0], block + 1, &control);
        *transparent = control.TransparentColor;
    }
    while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return libraryFailure(gif, failure);
    return true;
}

/// The colours of a file without any colour table. The format leaves the
/// table to the decoder and recommends black and white as its first two
/// entries, so that monochrome images show as they should; every further
/// index is the grey of its own value.
const ColorMapObject &defaultColourTable()
{
    static GifColorType colours[256];
    static const ColorMapObject table = [] {
        for (int i = 0; i < 256; ++i) {
            const GifByteType level = i == 1 ? 255 : GifByteType(i);
            colours[i] = {level, level, level};
        }
        return ColorMapObject{256, 8, false, colours};
    }();
    return table;
}

bool readFrame(GifFileType *gif, int transparent, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return libraryFailure(gif, failure);
    const GifImageDesc &frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0)
        return failure->give("GIF frame of %d x %d pixels is empty", frame.Width, frame.Height);
    const ColorMapObject *screen = gif->SColorMap != nullptr || frame.ColorMap != nullptr ? gif->SColorMap
                                                                                        : &defaultColourTable();
    const ColorMapObject *table = frame.ColorMap != nullptr ? frame.ColorMap : screen;

    std::vector<GifPixelType> line;
    try {
        line.resize(size_t(frame.Width));
        resizeMappedAtOnce(bitmap->pixels, size_t(gif->SWidth) * gif->SHeight * 4);
    } catch (const std::bad_alloc &) {
        return failure->give("out of memory");
    }
    bitmap->width = uint32_t(gif->SWidth);
    bitmap->height = uint32_t(gif->SHeight);
    bitmap->alpha = true;

    const bool hasBackground = screen != nullptr && gif->SBackGroundColor < screen->ColorCount;
    const GifColorType background = hasBackground ? screen->Colors[gif->SBackGroundColor] : GifColorType{0, 0, 0};
    for (size_t i = 0; i < bitmap->pixels.size(); i += 4) {
        const uint8_t bgra[4] = {background.Blue, background.Green, background.Red, 0};
        std::memcpy(&bitmap->pixels[i], bgra, 4);
    }

    // An interlaced frame stores every eighth row from row 0, every eighth
    // from 4, every fourth from 2, then every second from 1. Rows and
    // columns past the screen are read and checked, then dropped.
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    const int shown = std::max(0, std::min(frame.Width, gif->SWidth - frame.Left));
    for (int pass = 0; pass < passes; ++pass)
        for (int r = frame.Interlace ? starts[pass] : 0; r < frame.Height; r += frame.Interlace ? steps[pass] : 1) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return libraryFailure(gif, failure);
            for (int c = 0; c < frame.Width; ++c)
                if (line[c] >= table->ColorCount)
                    return failure->give("GIF colour index %d beyond the %d colours of its table", line[c],
                                        table->ColorCount);
            if (frame.Top + r >= gif->SHeight || shown == 0)
                continue;
            uint8_t *out = &bitmap->pixels[(size_t(frame.Top + r) * gif->SWidth + frame.Left) * 4];
            for (int c = 0; c < shown; ++c, out += 4) {
                const GifColorType &colour = table->Colors[line[c]];
                out[0] = colour.Blue;
                out[1] = colour.Green;
                out[2] = colour.Red;
                out[3] = line[c] == transparent ? 0 : 255;
            }
        }
    return true;
}

/// Walks the records after the first frame, without decoding them, up to
/// the trailer, counting the frames.
bool readToTrailer(GifFileType *gif, uint32_t *frames, decodeFailure_t *failure)
{
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return libraryFailure(gif, failure);
        int ignored = NO_TRANSPARENT_COLOR;
        int codeSize;
        GifByteType *block;
        switch (record) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif) == GIF_ERROR || DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
                return libraryFailure(gif, failure);
            while (block != nullptr)
                if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
                    return libraryFailure(gif, failure);
            ++*frames;
            break;
        case EXTENSION_RECORD_TYPE:
            if (!readExtension(gif, &ignored, failure))
                return false;
            break;
        case TERMINATE_RECORD_TYPE:
            return true;
        default:
            return failure->give("damaged GIF: unknown record");
        }
    }
}

} // namespace

bool looksLikeGif(const uint8_t *data, size_t size)
{
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

bool decodeGif(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    gifSource_t source = {data, size, 0, false};
    int error = 0;
    GifFileType *gif = DGifOpen(&source, readFromMemory, &error);
    if (gif == nullptr)
        return gifFailure(source, error, failure);
    const gifCloser_t closer = {gif};
    if (!bitmapSizeAcceptable(uint64_t(std::max(gif->SWidth, 0)), uint64_t(std::max(gif->SHeight, 0))))
        return failure->give("GIF screen of %d x %d pixels is empty or larger than 1 GiB", gif->SWidth,
                            gif->SHeight);
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return libraryFailure(gif, failure);
        if (record == IMAGE_DESC_RECORD_TYPE)
            return readFrame(gif, transparent, bitmap, failure) && readToTrailer(gif, &bitmap->frames, failure);
        if (record == TERMINATE_RECORD_TYPE)
            return failure->give("GIF without an image");
        if (record != EXTENSION_RECORD_TYPE)
            return failure->give("damaged GIF: unknown record");
        if (!readExtension(gif, &transparent, failure))
            return false;
    }
}
