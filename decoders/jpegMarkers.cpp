#include "decoders/jpegMarkers.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "decoders/decodeFailure.h"
#include "decoders/photoOrientation.h"

namespace {

constexpr unsigned kExifMarker = JPEG_APP0 + 1;
constexpr unsigned kIccMarker = JPEG_APP0 + 2;

void ignoreMessage(j_common_ptr, int) {}

/// The profile reassembled by the library, or nothing when its markers are
/// missing or inconsistent; the library warns about those, and a warning
/// would otherwise end the decoding.
void readProfile(j_decompress_ptr info, JOCTET **profile, unsigned *length)
{
    void (*const emitMessage)(j_common_ptr, int) = info->err->emit_message;
    info->err->emit_message = ignoreMessage;
    if (!jpeg_read_icc_profile(info, profile, length))
        *profile = nullptr;
    info->err->emit_message = emitMessage;
}

} // namespace

void keepPhotoMarkers(j_decompress_ptr info)
{
    jpeg_save_markers(info, kExifMarker, 0xffff);
    jpeg_save_markers(info, kIccMarker, 0xffff);
}

bool takePhotoMarkers(j_decompress_ptr info, decodedBitmap_t *bitmap, decodeFailure_t *failure)
{
    JOCTET *profile = nullptr;
    unsigned length = 0;
    readProfile(info, &profile, &length);
    try {
        if (profile != nullptr)
            bitmap->iccProfile.assign(profile, profile + length);
        // The first EXIF block is the picture's own.
        for (jpeg_saved_marker_ptr marker = info->marker_list; marker != nullptr; marker = marker->next) {
            if (marker->marker == kExifMarker && marker->data_length > sizeof kExifHeader &&
                std::memcmp(marker->data, kExifHeader, sizeof kExifHeader) == 0) {
                bitmap->exif.assign(marker->data + sizeof kExifHeader, marker->data + marker->data_length);
                break;
            }
        }
    } catch (const std::bad_alloc &) {
        std::free(profile);
        failure->give("out of memory");
        return false;
    }
    std::free(profile);
    return true;
}
