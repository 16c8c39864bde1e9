#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>

#include "decoderChecks_support.h"

namespace {

/// A profile of Debian's colord-data, icc-profiles-free or libgs-common
/// (tools/setup.sh): missing, the test fails rather than pass untested.
bytes_t installedProfile(const char *path)
{
    std::ifstream file(std::string("/usr/share/color/icc/") + path, std::ios::binary);
    bytes_t bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_FALSE(bytes.empty()) << path << " is missing: run tools/setup.sh";
    return bytes;
}

// Worked by hand: ProPhoto's grey 128 is linear (128/255)^1.8 = 0.2895,
// sRGB 146; L* 50.2 is linear 0.186, sRGB 119. Cyan ink on SWOP paper is
// sRGB (0, 175, 239), where the plain formula gives (0, 255, 255).
TEST(ColourProfile, EmbeddedProfilesBecomeSrgb)
{
    const bytes_t prophoto = installedProfile("colord/ProPhotoRGB.icc");
    // A colour space no enum names, as a damaged file may claim.
    bytes_t unnamedSpace = installedProfile("colord/sRGB.icc");
    std::fill_n(unnamedSpace.begin() + 16, 4, 0xff);
    enum { png, jpeg, cmykJpeg };
    const struct {
        bytes_t profile;
        int format;
        bool alpha;
        uint8_t rgb[3], expected[3];
        const char *note; ///< after "colour profile"
    } cases[] = {
        {prophoto, png, false, {128, 128, 128}, {146, 146, 146}, ": ProPhoto RGB, converted to sRGB"},
        {prophoto, jpeg, false, {128, 128, 128}, {146, 146, 146}, ": ProPhoto RGB, converted to sRGB"},
        {installedProfile("colord/SwappedRedAndGreen.icc"), png, true, {200, 60, 20}, {60, 200, 20},
         ": Swapped Red and Green, converted to sRGB"},
        {installedProfile("colord/sRGB.icc"), png, false, {200, 60, 21}, {200, 60, 21}, ": sRGB, already sRGB"},
        {installedProfile("Gray-CIE_L.icc"), jpeg, false, {128, 128, 128}, {119, 119, 119},
         ": Gray CIE*L, converted to sRGB"},
        {installedProfile("ghostscript/default_cmyk.icc"), cmykJpeg, false, {0, 255, 255}, {0, 175, 239},
         ": Artifex CMYK SWOP Profile, converted to sRGB"},
        {unnamedSpace, jpeg, false, {200, 60, 21}, {200, 60, 21}, ": sRGB is for neither RGB nor grey, not applied"},
        {{7, 7}, jpeg, false, {200, 60, 20}, {200, 60, 20}, " ignored: it cannot be read"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.note);
        rgbaImage_t image{16, 16, {}};
        for (int i = 0; i < 16 * 16; ++i)
            image.rgba.insert(image.rgba.end(), {c.rgb[0], c.rgb[1], c.rgb[2], uint8_t(c.alpha ? 200 : 255)});
        const photoMetadata_t metadata{{}, c.profile};
        const decodedFile_t file = decodeBytes(
            c.format == png ? encodePng(image, c.alpha, metadata)
                            : encodeJpeg(image, c.format == jpeg ? jpegKind_t::colour : jpegKind_t::cmykAdobe, metadata));
        ASSERT_EQ(file.refusedBy, refusedBy_t::nothing) << file.reason;
        EXPECT_EQ(file.colourProfile, std::string("colour profile") + c.note);
        for (int channel = 0; channel < 3; ++channel)
            EXPECT_NEAR(file.bitmap.pixels[2 - channel], c.expected[channel], c.format == png ? 0 : 3) << channel;
        EXPECT_EQ(file.bitmap.pixels[3], c.alpha ? 200 : 255);
    }
}

} // namespace
