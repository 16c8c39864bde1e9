#include "decoders/colourProfile.h"

#include <cmath>

#include <lcms2.h>

namespace {

/// A profile or a transform (both untyped handles), given back to the
/// library by `release` when it goes.
template <auto release> struct lcmsHandle_t {
    void *const handle;
    explicit lcmsHandle_t(void *made) : handle(made) {}
    lcmsHandle_t(const lcmsHandle_t &) = delete;
    ~lcmsHandle_t()
    {
        if (handle != nullptr)
            release(handle);
    }
};
using profile_t = lcmsHandle_t<cmsCloseProfile>;
using transform_t = lcmsHandle_t<cmsDeleteTransform>;

// Perceptual where the profile has it; a matrix profile treats it as
// relative colorimetric, which keeps white white.
constexpr cmsUInt32Number kIntent = INTENT_PERCEPTUAL;

/// The colour space the profile's header names (bytes 16 to 19, big-endian),
/// of a profile that opened. Read here rather than through
/// cmsGetColorSpace, whose enum type cannot hold every value a file may
/// carry.
uint32_t colourSpaceOf(const std::vector<uint8_t> &profile)
{
    if (profile.size() < 20)
        return 0;
    return uint32_t(profile[16]) << 24 | uint32_t(profile[17]) << 16 | uint32_t(profile[18]) << 8 | profile[19];
}

/// The profile's description, fit for one trace line.
std::string nameOf(cmsHPROFILE profile)
{
    char text[256] = "";
    cmsGetProfileInfoASCII(profile, cmsInfoDescription, "en", "US", text, sizeof text);
    std::string name;
    for (const char *c = text; *c != '\0' && name.size() < 64; ++c)
        name += (*c >= ' ' && *c <= '~') ? *c : '?';
    // Some writers pad the description with blanks.
    name.erase(name.find_last_not_of(' ') + 1);
    return name.empty() ? "(unnamed)" : name;
}

bool sameColorant(cmsHPROFILE a, cmsHPROFILE b, cmsTagSignature tag)
{
    const auto *x = static_cast<const cmsCIEXYZ *>(cmsReadTag(a, tag));
    const auto *y = static_cast<const cmsCIEXYZ *>(cmsReadTag(b, tag));
    constexpr double kTolerance = 0.002;
    return x != nullptr && y != nullptr && std::fabs(x->X - y->X) < kTolerance &&
           std::fabs(x->Y - y->Y) < kTolerance && std::fabs(x->Z - y->Z) < kTolerance;
}

bool sameCurve(cmsHPROFILE a, cmsHPROFILE b, cmsTagSignature tag)
{
    const auto *x = static_cast<const cmsToneCurve *>(cmsReadTag(a, tag));
    const auto *y = static_cast<const cmsToneCurve *>(cmsReadTag(b, tag));
    if (x == nullptr || y == nullptr)
        return false;
    // A quarter of an 8-bit step anywhere: the conversion would give back
    // the same bytes, or next to them.
    for (int i = 0; i <= 64; ++i) {
        const float v = float(i) / 64;
        if (std::fabs(cmsEvalToneCurveFloat(x, v) - cmsEvalToneCurveFloat(y, v)) > 1.0f / 1024)
            return false;
    }
    return true;
}

/// Whether converting from `profile` to sRGB would leave the pixels as they
/// are: its primaries and tone curves are sRGB's, whatever it is called.
/// A profile made of tables rather than a matrix is taken at its name.
bool isSrgb(cmsHPROFILE profile, cmsHPROFILE srgb, const std::string &name)
{
    if (!cmsIsMatrixShaper(profile))
        return name.find("sRGB") != std::string::npos;
    for (cmsTagSignature colorant : {cmsSigRedColorantTag, cmsSigGreenColorantTag, cmsSigBlueColorantTag})
        if (!sameColorant(profile, srgb, colorant))
            return false;
    for (cmsTagSignature curve : {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag})
        if (!sameCurve(profile, srgb, curve))
            return false;
    return true;
}

/// The profile, or null when there is none or it cannot be read.
cmsHPROFILE openProfile(const std::vector<uint8_t> &bytes)
{
    if (bytes.empty() || bytes.size() > UINT32_MAX)
        return nullptr;
    return cmsOpenProfileFromMem(bytes.data(), cmsUInt32Number(bytes.size()));
}

} // namespace

srgbConversion_t::srgbConversion_t(const decodedBitmap_t &bitmap)
{
    if (bitmap.iccProfile.empty())
        return;
    const profile_t profile{openProfile(bitmap.iccProfile)};
    if (profile.handle == nullptr) {
        said_ = "colour profile ignored: it cannot be read";
        return;
    }
    const profile_t srgb{cmsCreate_sRGBProfile()};
    const std::string name = nameOf(profile.handle);
    if (bitmap.profileApplied) {
        said_ = "colour profile: " + name + ", converted to sRGB";
        return;
    }
    const uint32_t space = colourSpaceOf(bitmap.iccProfile);
    grey_ = space == cmsSigGrayData;
    if (space == cmsSigCmykData) {
        said_ = "colour profile: " + name + " is for CMYK, not applied";
        return;
    }
    if (space != cmsSigRgbData && !grey_) {
        said_ = "colour profile: " + name + " is for neither RGB nor grey, not applied";
        return;
    }
    if (!grey_ && isSrgb(profile.handle, srgb.handle, name)) {
        said_ = "colour profile: " + name + ", already sRGB";
        return;
    }
    // The transform keeps what it needs of both profiles.
    transform_ = cmsCreateTransform(profile.handle, grey_ ? TYPE_GRAY_8 : TYPE_BGRA_8, srgb.handle,
                                    grey_ ? TYPE_RGB_8 : TYPE_BGRA_8, kIntent, grey_ ? 0 : cmsFLAGS_COPY_ALPHA);
    if (transform_ == nullptr) {
        said_ = "colour profile ignored: " + name + " cannot be applied";
        return;
    }
    // A grey profile gives every grey level one sRGB level; the decoders
    // have already spread grey over the three channels, so each is mapped
    // alike, through a table.
    if (grey_) {
        uint8_t levels[256];
        uint8_t srgbLevels[256 * 3];
        for (int i = 0; i < 256; ++i)
            levels[i] = uint8_t(i);
        cmsDoTransform(transform_, levels, srgbLevels, 256);
        for (int i = 0; i < 256; ++i)
            greyLevels_[i] = srgbLevels[i * 3 + 1];
    }
    said_ = "colour profile: " + name + ", converted to sRGB";
}

srgbConversion_t::~srgbConversion_t()
{
    if (transform_ != nullptr)
        cmsDeleteTransform(transform_);
}

void srgbConversion_t::convert(uint8_t *pixels, uint32_t width, uint32_t rows) const
{
    if (transform_ == nullptr)
        return;
    const size_t rowBytes = size_t(width) * 4;
    if (grey_) {
        for (size_t i = 0; i < rowBytes * rows; i += 4)
            for (size_t channel = 0; channel < 3; ++channel)
                pixels[i + channel] = greyLevels_[pixels[i + channel]];
        return;
    }
    // Row by row: the pixel count of one call is a 32-bit number.
    for (uint32_t row = 0; row < rows; ++row, pixels += rowBytes)
        cmsDoTransform(transform_, pixels, pixels, width);
}

std::string convertToSrgb(decodedBitmap_t *bitmap)
{
    const srgbConversion_t conversion(*bitmap);
    conversion.convert(bitmap->pixels.data(), bitmap->width, bitmap->height);
    return conversion.said();
}

bool convertCmykToSrgb(decodedBitmap_t *bitmap, bool inverted)
{
    const profile_t profile{openProfile(bitmap->iccProfile)};
    if (profile.handle == nullptr || colourSpaceOf(bitmap->iccProfile) != cmsSigCmykData)
        return false;
    const profile_t srgb{cmsCreate_sRGBProfile()};
    // Four bytes in, four out: the conversion can work in place, and the
    // fourth byte is then set opaque.
    const transform_t transform{cmsCreateTransform(profile.handle, inverted ? TYPE_CMYK_8_REV : TYPE_CMYK_8,
                                                   srgb.handle, TYPE_BGRA_8, kIntent, 0)};
    if (transform.handle == nullptr)
        return false;
    uint8_t *pixels = bitmap->pixels.data();
    const size_t rowBytes = size_t(bitmap->width) * 4;
    for (uint32_t row = 0; row < bitmap->height; ++row, pixels += rowBytes)
        cmsDoTransform(transform.handle, pixels, pixels, bitmap->width);
    for (size_t i = 3; i < bitmap->pixels.size(); i += 4)
        bitmap->pixels[i] = 0xff;
    bitmap->profileApplied = true;
    return true;
}
