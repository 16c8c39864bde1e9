// HEIF through libheif. It parses the container, hands the coded image to
// its HEVC or AV1 decoder and turns the result into interleaved 8-bit RGB or
// RGBA, applying the file's rotation, mirroring and cropping on the way. A
// phone's EXIF orientation tag describes the picture as the camera stored
// it, before those transformations; applied again it would turn an upright
// picture sideways, so the EXIF block stays behind.
#include <algorithm>
#include <cstring>
#include <memory>
#include <string>

#include <libheif/heif.h>

#include "decoders/byteReader.h"
#include "decoders/decodeFailure.h"
#include "decoders/heif.h"
#include "base/mappedAtOnce.h"
#include "decoders/lateLibrary.h"

namespace {

/// The part of libheif the decoding calls, each named once.
#define HEIF_CALLS(X) \
    X(heif_context_alloc) \
    X(heif_context_free) \
    X(heif_context_get_primary_image_handle) \
    X(heif_context_read_from_memory_without_copy) \
    X(heif_context_set_maximum_image_size_limit) \
    X(heif_decode_image) \
    X(heif_decoding_options_alloc) \
    X(heif_decoding_options_free) \
    X(heif_image_get_bits_per_pixel_range) \
    X(heif_image_get_height) \
    X(heif_image_get_plane_readonly) \
    X(heif_image_get_width) \
    X(heif_image_handle_get_color_profile_type) \
    X(heif_image_handle_get_raw_color_profile) \
    X(heif_image_handle_get_raw_color_profile_size) \
    X(heif_image_handle_has_alpha_channel) \
    X(heif_image_handle_release) \
    X(heif_image_release)

/// Those functions, from the library opened late: libheif().
LATE_LIBRARY_FUNCTIONS(heifFunctions_t, libheif, DAWNMARK_HEIF_SONAME, "libheif", HEIF_CALLS)

/// The widest square libheif may decode: its pixels then fill exactly the
/// largest bitmap we accept.
constexpr int kMaxSide = 16384;
static_assert(uint64_t(kMaxSide) * kMaxSide * 4 == kMaxBitmapBytes, "the side follows the bitmap limit");

enum class brand_t { none, heic, avif };

/// The kind of file the brands of its leading file type box name; AVIF
/// wins, since AV1 files often name the general HEIF brands beside it.
brand_t brandOf(const uint8_t *data, size_t size)
{
    byteReader_t reader(data, size);
    const uint32_t boxSize = reader.u32be();
    const uint8_t *type = reader.take(4);
    if (type == nullptr || std::memcmp(type, "ftyp", 4) != 0 || boxSize < 16 || boxSize > size)
        return brand_t::none;
    brand_t found = brand_t::none;
    // The major brand, the minor version (skipped), then compatible brands.
    for (size_t at = 8; at + 4 <= boxSize; at += at == 8 ? 8 : 4) {
        const char *brand = reinterpret_cast<const char *>(data + at);
        for (const char *avif : {"avif", "avis"})
            if (std::memcmp(brand, avif, 4) == 0)
                return brand_t::avif;
        for (const char *heic : {"heic", "heix", "heim", "heis", "hevc", "hevx", "mif1", "msf1"})
            if (std::memcmp(brand, heic, 4) == 0)
                found = brand_t::heic;
    }
    return found;
}

struct contextDeleter_t {
    void operator()(heif_context *context) const { libheif().heif_context_free(context); }
};
struct handleDeleter_t {
    void operator()(heif_image_handle *handle) const { libheif().heif_image_handle_release(handle); }
};
struct imageDeleter_t {
    void operator()(heif_image *image) const { libheif().heif_image_release(image); }
};
struct optionsDeleter_t {
    void operator()(heif_decoding_options *options) const { libheif().heif_decoding_options_free(options); }
};

bool heifFailure(const heif_error &error, const char *format, decodeFailure_t *failure)
{
    if (error.code == heif_error_Memory_allocation_error)
        return failure->give("out of memory");
    if (error.subcode == heif_suberror_End_of_data)
        return failure->give("%s data ends early", format);
    if (error.code == heif_error_Unsupported_feature || error.code == heif_error_Unsupported_filetype)
        return failure->give("unsupported %s: %s", format, error.message);
    return failure->give("damaged %s: %s", format, error.message);
}

std::vector<uint8_t> iccProfileOf(const heif_image_handle *handle)
{
    std::vector<uint8_t> profile;
    const heif_color_profile_type type = libheif().heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return profile;
    profile.resize(libheif().heif_image_handle_get_raw_color_profile_size(handle));
    if (profile.empty() || libheif().heif_image_handle_get_raw_color_profile(handle, profile.data()).code != heif_error_Ok)
        profile.clear();
    return profile;
}

/// The decoded interleaved pixels, red first, as blue, green, red and a
/// fourth byte.
bool takePixels(const heif_image *image, bool alpha, const char *format, decodedBitmap_t *bitmap,
                decodeFailure_t *failure)
{
    const int width = libheif().heif_image_get_width(image, heif_channel_interleaved);
    const int height = libheif().heif_image_get_height(image, heif_channel_interleaved);
    int stride = 0;
    const uint8_t *plane = libheif().heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
    if (plane == nullptr || libheif().heif_image_get_bits_per_pixel_range(image, heif_channel_interleaved) != 8 ||
        !bitmapSizeAcceptable(uint64_t(std::max(width, 0)), uint64_t(std::max(height, 0))))
        return failure->give("unsupported %s: no 8-bit pixels of %d x %d", format, width, height);
    bitmap->width = uint32_t(width);
    bitmap->height = uint32_t(height);
    bitmap->alpha = alpha;
    resizeMappedAtOnce(bitmap->pixels, size_t(width) * size_t(height) * 4);
    const size_t channels = alpha ? 4 : 3;
    uint8_t *out = bitmap->pixels.data();
    for (int r = 0; r < height; ++r) {
        const uint8_t *in = plane + size_t(r) * size_t(stride);
        for (int c = 0; c < width; ++c, in += channels, out += 4) {
            out[0] = in[2];
            out[1] = in[1];
            out[2] = in[0];
            out[3] = alpha ? in[3] : 255;
        }
    }
    return true;
}

bool decodePrimary(const uint8_t *data, size_t size, const char *format, decodedBitmap_t *bitmap,
                   decodeFailure_t *failure)
{
    if (!libheif().missing.empty())
        return failure->give("%s needs libheif: %s", format, libheif().missing.c_str());
    const std::unique_ptr<heif_context, contextDeleter_t> context(libheif().heif_context_alloc());
    if (!context)
        return failure->give("out of memory");
    libheif().heif_context_set_maximum_image_size_limit(context.get(), kMaxSide);
    heif_error error = libheif().heif_context_read_from_memory_without_copy(context.get(), data, size, nullptr);
    if (error.code != heif_error_Ok)
        return heifFailure(error, format, failure);
    heif_image_handle *rawHandle = nullptr;
    error = libheif().heif_context_get_primary_image_handle(context.get(), &rawHandle);
    const std::unique_ptr<heif_image_handle, handleDeleter_t> handle(rawHandle);
    if (error.code != heif_error_Ok)
        return heifFailure(error, format, failure);

    const bool alpha = libheif().heif_image_handle_has_alpha_channel(handle.get()) != 0;
    const std::unique_ptr<heif_decoding_options, optionsDeleter_t> options(libheif().heif_decoding_options_alloc());
    if (!options)
        return failure->give("out of memory");
    options->convert_hdr_to_8bit = 1;
    heif_image *rawImage = nullptr;
    error = libheif().heif_decode_image(handle.get(), &rawImage, heif_colorspace_RGB,
                              alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get());
    const std::unique_ptr<heif_image, imageDeleter_t> image(rawImage);
    if (error.code != heif_error_Ok)
        return heifFailure(error, format, failure);
    if (!takePixels(image.get(), alpha, format, bitmap, failure))
        return false;
    bitmap->iccProfile = iccProfileOf(handle.get());
    return true;
}

} // namespace

bool looksLikeHeic(const uint8_t *data, size_t size) { return brandOf(data, size) == brand_t::heic; }

bool looksLikeAvif(const uint8_t *data, size_t size) { return brandOf(data, size) == brand_t::avif; }

bool decodeHeic(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure)
{
    return decodePrimary(data, size, "HEIF", out, failure);
}

bool decodeAvif(const uint8_t *data, size_t size, decodedBitmap_t *out, decodeFailure_t *failure)
{
    return decodePrimary(data, size, "AVIF", out, failure);
}
