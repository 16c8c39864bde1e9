// GIF through giflib: the first frame on the screen the file describes.
// The frame's transparent index keeps its colour at alpha 0; screen
// outside the frame takes the background colour at alpha 0. The rest of
// the file is walked to its trailer, so that a file cut short anywhere is
// refused.
//
// giflib rather than stb_image, which makes transparent pixels black,
// leaves the screen around a frame black when the background index is 0,
// and refuses code streams that do not start with a clear code or that
// keep a full code table.
#include <algorithm>
#include <cstring>
#include <new>

#include <gif_lib.h>

#include "platform/translators/Translator.h"

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
status_t gifFailure(const gifSource_t &source, int error)
{
    if (source.endedEarly)
        return translationFailed("GIF data ends early");
    const char *text = GifErrorString(error);
    return translationFailed("damaged GIF: %s", text != nullptr ? text : "unknown error");
}

status_t failure(GifFileType *gif) { return gifFailure(*static_cast<gifSource_t *>(gif->UserData), gif->Error); }

bool identify(const uint8_t *data, size_t size)
{
    return size >= 6 && (std::memcmp(data, "GIF87a", 6) == 0 || std::memcmp(data, "GIF89a", 6) == 0);
}

/// Reads an extension; a graphic control extension gives the transparent
/// index of the frame that follows it.
status_t readExtension(GifFileType *gif, int *transparent)
{
    int code;
    GifByteType *block;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return failure(gif);
    if (code == GRAPHICS_EXT_FUNC_CODE && block != nullptr && block[0] >= 4) {
        GraphicsControlBlock control;
        DGifExtensionToGCB(block[0], block + 1, &control);
        *transparent = control.TransparentColor;
    }
    while (block != nullptr)
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return failure(gif);
    return B_OK;
}

status_t readFrame(GifFileType *gif, int transparent, decodedBitmap_t *bitmap)
{
    if (DGifGetImageDesc(gif) == GIF_ERROR)
        return failure(gif);
    const GifImageDesc &frame = gif->Image;
    if (frame.Width <= 0 || frame.Height <= 0 || frame.Left < 0 || frame.Top < 0 ||
        frame.Left + frame.Width > gif->SWidth || frame.Top + frame.Height > gif->SHeight)
        return translationFailed("GIF frame of %d x %d at (%d, %d) beyond the screen of %d x %d", frame.Width,
                                 frame.Height, frame.Left, frame.Top, gif->SWidth, gif->SHeight);
    const ColorMapObject *table = frame.ColorMap != nullptr ? frame.ColorMap : gif->SColorMap;
    if (table == nullptr)
        return translationFailed("GIF frame with no colour table");

    std::vector<GifPixelType> line;
    try {
        line.resize(size_t(frame.Width));
        bitmap->pixels.resize(size_t(gif->SWidth) * gif->SHeight * 4);
    } catch (const std::bad_alloc &) {
        return translationFailed("out of memory");
    }
    bitmap->width = uint32_t(gif->SWidth);
    bitmap->height = uint32_t(gif->SHeight);
    bitmap->alpha = true;

    const ColorMapObject *screen = gif->SColorMap;
    const bool hasBackground = screen != nullptr && gif->SBackGroundColor < screen->ColorCount;
    const GifColorType background = hasBackground ? screen->Colors[gif->SBackGroundColor] : GifColorType{0, 0, 0};
    for (size_t i = 0; i < bitmap->pixels.size(); i += 4) {
        const uint8_t bgra[4] = {background.Blue, background.Green, background.Red, 0};
        std::memcpy(&bitmap->pixels[i], bgra, 4);
    }

    // An interlaced frame stores every eighth row from row 0, every eighth
    // from 4, every fourth from 2, then every second from 1.
    const int starts[4] = {0, 4, 2, 1}, steps[4] = {8, 8, 4, 2};
    const int passes = frame.Interlace ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass)
        for (int r = frame.Interlace ? starts[pass] : 0; r < frame.Height; r += frame.Interlace ? steps[pass] : 1) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return failure(gif);
            uint8_t *out = &bitmap->pixels[(size_t(frame.Top + r) * gif->SWidth + frame.Left) * 4];
            for (int c = 0; c < frame.Width; ++c, out += 4) {
                const int index = line[c];
                if (index >= table->ColorCount)
                    return translationFailed("GIF colour index %d beyond the %d colours of its table", index,
                                             table->ColorCount);
                const GifColorType &colour = table->Colors[index];
                out[0] = colour.Blue;
                out[1] = colour.Green;
                out[2] = colour.Red;
                out[3] = index == transparent ? 0 : 255;
            }
        }
    return B_OK;
}

/// Walks the records after the first frame, without decoding them, up to
/// the trailer.
status_t readToTrailer(GifFileType *gif)
{
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return failure(gif);
        int ignored = NO_TRANSPARENT_COLOR;
        int codeSize;
        GifByteType *block;
        switch (record) {
        case IMAGE_DESC_RECORD_TYPE:
            if (DGifGetImageDesc(gif) == GIF_ERROR || DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
                return failure(gif);
            while (block != nullptr)
                if (DGifGetCodeNext(gif, &block) == GIF_ERROR)
                    return failure(gif);
            break;
        case EXTENSION_RECORD_TYPE:
            if (const status_t status = readExtension(gif, &ignored); status != B_OK)
                return status;
            break;
        case TERMINATE_RECORD_TYPE:
            return B_OK;
        default:
            return translationFailed("damaged GIF: unknown record");
        }
    }
}

status_t decode(const uint8_t *data, size_t size, decodedBitmap_t *bitmap)
{
    gifSource_t source = {data, size, 0, false};
    int error = 0;
    GifFileType *gif = DGifOpen(&source, readFromMemory, &error);
    if (gif == nullptr)
        return gifFailure(source, error);
    const gifCloser_t closer = {gif};
    if (!bitmapSizeAcceptable(uint64_t(std::max(gif->SWidth, 0)), uint64_t(std::max(gif->SHeight, 0))))
        return translationFailed("GIF screen of %d x %d pixels is empty or larger than 1 GiB", gif->SWidth,
                                 gif->SHeight);
    int transparent = NO_TRANSPARENT_COLOR;
    for (;;) {
        GifRecordType record;
        if (DGifGetRecordType(gif, &record) == GIF_ERROR)
            return failure(gif);
        status_t status = B_OK;
        if (record == IMAGE_DESC_RECORD_TYPE) {
            status = readFrame(gif, transparent, bitmap);
            return status == B_OK ? readToTrailer(gif) : status;
        }
        if (record == EXTENSION_RECORD_TYPE)
            status = readExtension(gif, &transparent);
        else if (record == TERMINATE_RECORD_TYPE)
            status = translationFailed("GIF without an image");
        else
            status = translationFailed("damaged GIF: unknown record");
        if (status != B_OK)
            return status;
    }
}

} // namespace

const translatorAddOn_t gifTranslator = {"GIF", identify, translateDecoded<decode>};
