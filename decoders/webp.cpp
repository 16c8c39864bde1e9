// WebP through libwebp. The container is walked by libwebpdemux, which also
// gives the metadata chunks; a still image is then decoded straight into the
// bitmap, and an animation's first frame is drawn on its canvas by the
// animation decoder, as a viewer would show it.
#include <cstring>
#include <memory>

#include <webp/decode.h>
#include <webp/demux.h>

#include "decoders/decodeFailure.h"
#include "decoders/photoOrientation.h"
#include "decoders/webp.h"
#include "base/mappedAtOnce.h"

namespace {

struct demuxDeleter_t {
    void operator()(WebPDemuxer *demux) const { WebPDemuxDelete(demux); }
};
struct animationDeleter_t {
    void operator()(WebPAnimDecoder *decoder) const { WebPAnimDecoderDelete(decoder); }
};

bool statusFailure(VP8StatusCode status, decodeFailure_t *failure)
{
    switch (status) {
    case VP8_STATUS_NOT_ENOUGH_DATA:
        return failure->give("WebP data ends early");
    case VP8_STATUS_OUT_OF_MEMORY:
        return failure->give("out of memory");
    case VP8_STATUS_UNSUPPORTED_FEATURE:
        return failure->give("unsupported WebP feature");
    default:
        return failure->give("damaged WebP: bitstream error %d", int(status));
    }
}

/// The payload of the first chunk named `fourcc`; empty when there is none.
std::vector<uint8_t> chunk(const WebPDemuxer *demux, const char *fourcc)
{
    std::vector<uint8_t> out;
    WebPChunkIterator iterator;
    if (WebPDemuxGetChunk(demux, fourcc, 1, &iterator)) {
        out.assign(iterator.chunk.bytes, iterator.chunk.bytes + iterator.chunk.size);
        WebPDemuxReleaseChunkIterator(&iterator);
    }
    return out;
}

/// The EXIF chunk from its TIFF header on: some writers put the "Exif"
/// marker of a JPEG segment in front of it.
std::vector<uint8_t> exifOf(const WebPDemuxer *demux)
{
    std::vector<uint8_t> exif = chunk(demux, "EXIF");
    if (exif.size() >= sizeof kExifHeader && std::memcmp(exif.data(), kExifHeader, sizeof kExifHeader) == 0)
        exif.erase(exif.begin(), exif.begin() + sizeof kExifHeader);
    return exif;
}

bool decodeStill(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return failure->give("unsupported WebP library version");
    const VP8StatusCode features = WebPGetFeatures(data, size, &config.input);
    if (features != VP8_STATUS_OK)
        return statusFailure(features, failure);
    if (!bitmapSizeAcceptable(uint64_t(config.input.width), uint64_t(config.input.height)))
        return failure->give("WebP image of %d x %d pixels is larger than 1 GiB", config.input.width,
                            config.input.height);
    bitmap->width = uint32_t(config.input.width);
    bitmap->height = uint32_t(config.input.height);
    bitmap->alpha = config.input.has_alpha != 0;
    resizeMappedAtOnce(bitmap->pixels, size_t(bitmap->width) * bitmap->height * 4);

    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = bitmap->pixels.data();
    config.output.u.RGBA.stride = int(bitmap->width * 4);
    config.output.u.RGBA.size = bitmap->pixels.size();
    const VP8StatusCode status = WebPDecode(data, size, &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK || statusFailure(status, failure);
}

bool decodeFirstFrame(const uint8_t *data, size_t size, const WebPDemuxer *demux, decodedBitmap_t *bitmap,
                      decodeFailure_t *failure)
{
    const uint32_t width = WebPDemuxGetI(demux, WEBP_FF_CANVAS_WIDTH);
    const uint32_t height = WebPDemuxGetI(demux, WEBP_FF_CANVAS_HEIGHT);
    if (!bitmapSizeAcceptable(width, height))
        return failure->give("WebP canvas of %u x %u pixels is larger than 1 GiB", unsigned(width),
                            unsigned(height));
    WebPIterator frame;
    if (!WebPDemuxGetFrame(demux, 1, &frame))
        return failure->give("WebP animation without a frame");
    // Canvas the first frame leaves uncovered stays transparent.
    const bool covered = frame.x_offset == 0 && frame.y_offset == 0 && uint32_t(frame.width) == width &&
                         uint32_t(frame.height) == height;
    WebPDemuxReleaseIterator(&frame);

    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return failure->give("unsupported WebP library version");
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData whole = {data, size};
    const std::unique_ptr<WebPAnimDecoder, animationDeleter_t> decoder(WebPAnimDecoderNew(&whole, &options));
    if (!decoder)
        return failure->give("damaged WebP animation");
    uint8_t *canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp))
        return failure->give("damaged WebP: the first frame cannot be decoded");
    bitmap->width = width;
    bitmap->height = height;
    bitmap->alpha = (WebPDemuxGetI(demux, WEBP_FF_FORMAT_FLAGS) & ALPHA_FLAG) != 0 || !covered;
    resizeMappedAtOnce(bitmap->pixels, size_t(width) * height * 4);
    std::memcpy(bitmap->pixels.data(), canvas, bitmap->pixels.size());
    return true;
}

} // namespace

bool looksLikeWebp(const uint8_t *data, size_t size)
{
    return size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WEBP", 4) == 0;
}

bool decodeWebp(const uint8_t *data, size_t size, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    const WebPData whole = {data, size};
    WebPDemuxState state = WEBP_DEMUX_PARSE_ERROR;
    const std::unique_ptr<WebPDemuxer, demuxDeleter_t> demux(WebPDemuxPartial(&whole, &state));
    if (!demux || state != WEBP_DEMUX_DONE)
        return failure->give(state == WEBP_DEMUX_PARSE_ERROR ? "damaged WebP container" : "WebP data ends early");

    const uint32_t flags = WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS);
    const uint32_t frames = WebPDemuxGetI(demux.get(), WEBP_FF_FRAME_COUNT);
    if ((flags & ANIMATION_FLAG) != 0 ? !decodeFirstFrame(data, size, demux.get(), bitmap, failure)
                                      : !decodeStill(data, size, bitmap, failure))
        return false;
    bitmap->frames = frames > 0 ? frames : 1;
    if ((flags & EXIF_FLAG) != 0)
        bitmap->exif = exifOf(demux.get());
    if ((flags & ICCP_FLAG) != 0)
        bitmap->iccProfile = chunk(demux.get(), "ICCP");
    return true;
}
