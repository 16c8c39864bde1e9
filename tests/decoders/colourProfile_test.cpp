#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include <lcms2.h>

#include "decoderChecks_support.h"

namespace {

/// A profile of Debian's colord-data package (tools/setup.sh installs it);
/// the test fails without it rather than pass untested.
bytes_t colordProfile(const char *name)
{
    std::ifstream file(std::string("/usr/share/color/icc/colord/") + name, std::ios::binary);
    bytes_t bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << name << " is missing: run tools/setup.sh";
    return bytes;
}

/// A grey profile of linear light, as some scanners tag their pictures.
bytes_t linearGreyProfile()
{
    cmsToneCurve *linear = cmsBuildGamma(nullptr, 1.0);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), linear);
    cmsUInt32Number size = 4096;
    bytes_t bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    bytes.resize(size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(linear);
    return bytes;
}

// Worked by hand: ProPhoto's grey 128 is linear (128/255)^1.8 = 0.2895,
// sRGB 146; linear grey 128 is sRGB 188. sRGB-tagged pixels are not sent
// through the conversion at all.
TEST(ColourProfile, EmbeddedProfilesBecomeSrgb)
{
    const bytes_t prophoto = colordProfile("ProPhotoRGB.icc");
    const struct {
        bytes_t profile;
        bool jpeg, alpha;
        uint8_t rgb[3], expected[3];
        const char *note; ///< after "colour profile"
    } cases[] = {
        {prophoto, false, false, {128, 128, 128}, {146, 146, 146}, ": ProPhoto RGB, converted to sRGB"},
        {prophoto, false, true, {255, 255, 255}, {255, 255, 255}, ": ProPhoto RGB, converted to sRGB"},
        {prophoto, true, false, {128, 128, 128}, {146, 146, 146}, ": ProPhoto RGB, converted to sRGB"},
        {colordProfile("SwappedRedAndGreen.icc"), false, true, {200, 60, 20}, {60, 200, 20},
         ": Swapped Red and Green, converted to sRGB"},
        {colordProfile("sRGB.icc"), false, false, {200, 60, 21}, {200, 60, 21}, ": sRGB, already sRGB"},
        {linearGreyProfile(), true, false, {128, 128, 128}, {188, 188, 188}, ": gray built-in, converted to sRGB"},
        {{7, 7}, true, false, {200, 60, 20}, {200, 60, 20}, " ignored: it cannot be read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.note);
        rgbaImage_t image{16, 16, {}};
        for (int i = 0; i < 16 * 16; ++i)
            image.rgba.insert(image.rgba.end(), {c.rgb[0], c.rgb[1], c.rgb[2], 200});
        const photoMetadata_t metadata{{}, c.profile};
        const decodedFile_t file = decodeBytes(c.jpeg ? encodeJpeg(image, jpegKind_t::colour, metadata)
                                                      : encodePng(image, c.alpha, metadata));
        ASSERT_EQ(file.refusedBy, refusedBy_t::nothing) << file.reason;
        EXPECT_EQ(file.colourProfile, std::string("colour profile") + c.note);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(file.bitmap.pixels[2 - channel], c.expected[channel], c.jpeg ? 3 : 0) << channel;
        EXPECT_EQ(file.bitmap.pixels[3], c.alpha ? 200 : 255);
    }
}

} // namespace
