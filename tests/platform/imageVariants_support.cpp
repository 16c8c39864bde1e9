#include "imageVariants_support.h"

#include "bmpFiles_support.h"

#include <cstring>
#include <functional>

#include "variantEncoders_support.h"

namespace {

// Runs of three equal pixels in 23 colours: run-length coders find runs,
// colour maps have room.
rgbaImage_t blockyImage(uint32_t width, uint32_t height)
{
    rgbaImage_t image;
    image.width = width;
    image.height = height;
    for (uint32_t r = 0; r < height; ++r)
        for (uint32_t c = 0; c < width; ++c) {
            const uint32_t k = (c / 3 + r * 4) % 23;
            image.rgba.insert(image.rgba.end(), {uint8_t(k * 11), uint8_t(255 - k * 9), uint8_t(k * 7 + 3), 255});
        }
    return image;
}

// 256 colours in no order, enough to fill a GIF's code table.
rgbaImage_t noisyImage(uint32_t width, uint32_t height)
{
    rgbaImage_t image;
    image.width = width;
    image.height = height;
    uint32_t x = 1;
    for (uint32_t i = 0; i < width * height; ++i) {
        x = x * 1103515245 + 12345;
        const uint8_t k = uint8_t(x >> 16);
        image.rgba.insert(image.rgba.end(), {k, uint8_t(255 - k), uint8_t(k * 3), 255});
    }
    return image;
}

rgbaImage_t withEachPixel(rgbaImage_t image, const std::function<void(uint8_t *, size_t)> &change)
{
    for (size_t i = 0; i < image.rgba.size(); i += 4)
        change(&image.rgba[i], i / 4);
    return image;
}

// What a channel becomes at 5 bits and back: round(round(c x 31 / 255) x 255 / 31).
uint8_t throughFiveBits(uint8_t c) { return uint8_t(((c * 31 + 127) / 255 * 255 + 15) / 31); }

imageVariant_t variant(const std::string &name, const bytes_t &file, const rgbaImage_t &pixels, bool alpha)
{
    return {name, file, pixels.width, pixels.height, toBgra(pixels, alpha), alpha};
}

bytes_t text(const char *content) { return bytes_t(content, content + std::strlen(content)); }

bytes_t cut(bytes_t file, size_t length)
{
    file.resize(length);
    return file;
}

imageVariant_t pnmVariant(char kind, uint32_t maxval, uint32_t width, uint32_t height)
{
    const bool bitmap = kind == '1' || kind == '4';
    const unsigned channels = kind == '3' || kind == '6' ? 3 : 1;
    pnmSpec_t spec{kind, width, height, bitmap ? 1 : maxval, {}};
    rgbaImage_t pixels;
    pixels.width = width;
    pixels.height = height;
    for (uint32_t p = 0; p < width * height; ++p) {
        uint8_t rgb[3];
        for (unsigned k = 0; k < channels; ++k) {
            // The first sample is the maximum, the rest spread over the range.
            const uint32_t v = p == 0 ? spec.maxval : (p * 2654435761u + k * 40503u) % (spec.maxval + 1);
            spec.samples.push_back(uint16_t(v));
            rgb[k] = uint8_t(bitmap ? (v ? 0 : 255) : (v * 255 + spec.maxval / 2) / spec.maxval);
        }
        if (channels == 1)
            rgb[1] = rgb[2] = rgb[0];
        pixels.rgba.insert(pixels.rgba.end(), {rgb[0], rgb[1], rgb[2], 255});
    }
    return variant(std::string("PNM P") + kind + " maximum " + std::to_string(spec.maxval), encodePnm(spec),
                   pixels, false);
}

void addPnm(std::vector<imageVariant_t> &out)
{
    const struct {
        char kind;
        uint32_t maxval;
    } cases[] = {{'1', 1},   {'4', 1},    {'2', 1},    {'2', 15},   {'2', 255},  {'2', 1000}, {'2', 65535},
                 {'5', 1},   {'5', 7},    {'5', 255},  {'5', 256},  {'5', 4095}, {'5', 65535}, {'3', 255},
                 {'3', 65535}, {'6', 100}, {'6', 255}, {'6', 1000}, {'6', 65535}};
    for (const auto &c : cases)
        out.push_back(pnmVariant(c.kind, c.maxval, 11, 7));
}

void addTga(std::vector<imageVariant_t> &out)
{
    const rgbaImage_t base = blockyImage(11, 7);
    const rgbaImage_t ramp = withEachPixel(base, [](uint8_t *p, size_t i) { p[3] = uint8_t(i * 23); });
    const rgbaImage_t five = withEachPixel(base, [](uint8_t *p, size_t) {
        for (int k = 0; k < 3; ++k)
            p[k] = throughFiveBits(p[k]);
    });
    const rgbaImage_t fiveAlpha = withEachPixel(five, [](uint8_t *p, size_t i) { p[3] = i % 3 ? 255 : 0; });
    const rgbaImage_t grey = withEachPixel(base, [](uint8_t *p, size_t) { p[0] = p[2] = p[1]; });
    const rgbaImage_t greyRamp = withEachPixel(grey, [](uint8_t *p, size_t i) { p[3] = uint8_t(i * 23); });
    const struct {
        const char *name;
        tgaLayout_t layout;
        const rgbaImage_t &pixels;
        bool alpha;
    } cases[] = {
        {"true-colour 24", {2, 24}, base, false},
        {"true-colour 24 top-down", {2, 24, 0, 0, 0x20}, base, false},
        {"true-colour 32", {2, 32, 0, 0, 8}, ramp, true},
        {"true-colour 15", {2, 15}, five, false},
        {"true-colour 16, attribute bit as alpha", {2, 16, 0, 0, 1}, fiveAlpha, true},
        // Without alpha bits in the descriptor the attribute bit is not alpha.
        {"true-colour 16, attribute bit unused", {2, 16}, fiveAlpha, false},
        {"run-length 24", {10, 24}, base, false},
        {"run-length 32 top-down", {10, 32, 0, 0, 0x28}, ramp, true},
        {"run-length 16 right to left", {10, 16, 0, 0, 0x10}, five, false},
        {"grey 8", {3, 8}, grey, false},
        {"grey 16 with alpha", {3, 16, 0, 0, 8}, greyRamp, true},
        {"run-length grey 8 top-down", {11, 8, 0, 0, 0x20}, grey, false},
        {"colour map 24", {1, 8, 24}, base, false},
        {"colour map 32 from entry 5", {1, 8, 32, 5, 8}, ramp, true},
        {"colour map 15, 16-bit indices", {1, 16, 15}, five, false},
        {"colour map 16 with alpha", {1, 8, 16, 0, 1}, fiveAlpha, true},
        {"run-length colour map, right to left, top-down", {9, 8, 24, 0, 0x30}, base, false},
        {"image ID before the pixels", {2, 24, 0, 0, 0, 9}, base, false},
    };
    for (const auto &c : cases)
        out.push_back(variant(std::string("TGA ") + c.name, encodeTga(c.pixels, c.layout), c.pixels, c.alpha));
}

// The screen a GIF's first frame is shown on: the frame, with the
// transparent index at alpha 0, on the background colour at alpha 0.
rgbaImage_t gifScreen(const rgbaImage_t &frame, const gifLayout_t &layout)
{
    const bytes_t table = gifColourTable(frame);
    rgbaImage_t screen;
    screen.width = layout.left + frame.width + layout.margin;
    screen.height = layout.top + frame.height + layout.margin;
    for (uint32_t i = 0; i < screen.width * screen.height; ++i)
        for (int k = 0; k < 4; ++k)
            screen.rgba.push_back(k < 3 && !layout.localTable ? table[layout.background * 3 + k] : 0);
    for (uint32_t r = 0; r < frame.height; ++r)
        for (uint32_t c = 0; c < frame.width; ++c) {
            const uint8_t *p = pixelAt(frame, c, r);
            uint8_t *q = &screen.rgba[((r + layout.top) * screen.width + c + layout.left) * 4];
            std::memcpy(q, p, 3);
            const bool transparent = layout.transparent >= 0 &&
                                     std::memcmp(&table[layout.transparent * 3], p, 3) == 0;
            q[3] = transparent ? 0 : 255;
        }
    return screen;
}

void addGif(std::vector<imageVariant_t> &out)
{
    const rgbaImage_t base = blockyImage(11, 7);
    const rgbaImage_t noisy = noisyImage(120, 100);
    rgbaImage_t twoColours = base;
    for (size_t i = 0; i < twoColours.rgba.size(); ++i)
        twoColours.rgba[i] = i % 4 == 3 || (i / 4) % 5 == 0 ? 255 : 0;
    gifLayout_t interlaced, local, transparent, mixed, placed, noClear, twoFrames, deferred, plain;
    interlaced.interlaced = true;
    local.localTable = true;
    transparent.transparent = 0;
    mixed.interlaced = mixed.localTable = true;
    mixed.transparent = 2;
    placed.left = 3;
    placed.top = 2;
    placed.margin = 4;
    placed.background = 5;
    noClear.initialClear = false;
    twoFrames.secondFrame = true;
    deferred.deferredClear = true;
    const struct {
        const char *name;
        const rgbaImage_t &frame;
        const gifLayout_t &layout;
    } cases[] = {
        {"plain", base, plain},
        {"interlaced", base, interlaced},
        {"local colour table", base, local},
        {"transparent", base, transparent},
        {"interlaced, local table, transparent", base, mixed},
        {"frame inside a larger screen", base, placed},
        {"no clear code first", base, noClear},
        {"two frames", base, twoFrames},
        {"two colours", twoColours, plain},
        {"code table filled and cleared", noisy, plain},
        {"code table filled and kept", noisy, deferred},
    };
    for (const auto &c : cases)
        out.push_back(variant(std::string("GIF ") + c.name, encodeGif(c.frame, c.layout), gifScreen(c.frame, c.layout),
                              true));
}

// Photoshop mattes partly transparent colours against white in the merged
// image. Colours that are multiples of 3 at alpha 85 and 170 come back
// exactly when the decoder takes the matte out.
rgbaImage_t matteAgainstWhite(rgbaImage_t image)
{
    return withEachPixel(image, [](uint8_t *p, size_t) {
        if (p[3] != 0 && p[3] != 255)
            for (int k = 0; k < 3; ++k)
                p[k] = uint8_t(p[k] * p[3] / 255 + 255 - p[3]);
    });
}

void addPsd(std::vector<imageVariant_t> &out)
{
    const rgbaImage_t base = blockyImage(11, 7);
    const rgbaImage_t grey = withEachPixel(base, [](uint8_t *p, size_t) { p[0] = p[2] = p[1]; });
    const auto translucent = [](uint8_t *p, size_t i) {
        for (int k = 0; k < 3; ++k)
            p[k] = uint8_t(p[k] / 3 * 3);
        p[3] = uint8_t(i % 4 * 85);
    };
    const rgbaImage_t clear = withEachPixel(base, translucent);
    const rgbaImage_t greyClear = withEachPixel(grey, translucent);
    const struct {
        const char *name;
        psdLayout_t layout;
        const rgbaImage_t &pixels;
    } cases[] = {
        {"RGB 8", {3, 8}, base},
        {"RGB 8 run-length", {3, 8, false, true}, base},
        {"RGB 16", {3, 16}, base},
        {"RGB 16 run-length", {3, 16, false, true}, base},
        {"RGB 8 with alpha", {3, 8, true}, clear},
        {"RGB 16 run-length with alpha", {3, 16, true, true}, clear},
        {"grey 8", {1, 8}, grey},
        {"grey 16 run-length", {1, 16, false, true}, grey},
        {"grey 8 run-length with alpha", {1, 8, true, true}, greyClear},
    };
    for (const auto &c : cases)
        out.push_back(variant(std::string("PSD ") + c.name, encodePsd(matteAgainstWhite(c.pixels), c.layout),
                              c.pixels, c.layout.alpha));
}

} // namespace

std::vector<imageVariant_t> imageVariants()
{
    std::vector<imageVariant_t> out;
    for (const bmpVariant_t &bmp : bmpVariants())
        out.push_back({std::string("BMP ") + bmp.name, encodeBmpFile(bmp.spec), bmp.spec.width,
                       bmp.spec.height, bmpExpectedBgra(bmp.spec, bmp.alpha), bmp.alpha});
    addPnm(out);
    addTga(out);
    addGif(out);
    addPsd(out);
    return out;
}

imageVariant_t sixteenBitPnm(char kind, uint32_t width, uint32_t height)
{
    return pnmVariant(kind, 65535, width, height);
}

std::vector<damagedImage_t> damagedImages()
{
    const rgbaImage_t base = blockyImage(11, 7);
    const bytes_t ppm = encodePnm({'6', 2, 2, 255, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}});
    const bytes_t pbm = pnmVariant('4', 1, 11, 7).file;
    const bytes_t tga = encodeTga(base, {2, 24});
    const bytes_t tgaRle = encodeTga(base, {10, 32, 0, 0, 8});
    bytes_t tgaMapped = encodeTga(base, {1, 8, 24, 5});
    tgaMapped.back() = 200;
    bytes_t tgaBelowMap = tgaMapped;
    tgaBelowMap.back() = 2;
    bytes_t tgaHuge = tga;
    tgaHuge[12] = tgaHuge[13] = tgaHuge[14] = tgaHuge[15] = 0xff;
    bytes_t tgaLongRun = {0, 0, 10, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 1, 0, 24, 0, 0x81, 1, 2, 3};
    const bytes_t gif = encodeGif(base, {});
    bytes_t gifOutside = gif;
    gifOutside[6 + 7 + 3 * 32 + 5] = 12; // frame width 12 on a screen of 11
    // Eight colours written, four announced: the table's last entries are
    // dropped and indices 4 to 7 have no colour.
    rgbaImage_t eight = base;
    eight.width = 8;
    eight.height = 1;
    eight.rgba.resize(32);
    for (int i = 0; i < 8; ++i)
        eight.rgba[i * 4] = uint8_t(i * 30);
    bytes_t gifBeyondTable = encodeGif(eight, {});
    gifBeyondTable[10] = (gifBeyondTable[10] & ~7) | 1;
    gifBeyondTable.erase(gifBeyondTable.begin() + 13 + 12, gifBeyondTable.begin() + 13 + 24);
    bytes_t gifScrambled = gif;
    for (size_t i = gif.size() - 30; i < gif.size() - 3; ++i)
        gifScrambled[i] = 0xff;
    const bytes_t gifNoTable = {'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ',', 0, 0, 0, 0,
                                1, 0, 1, 0, 0, 2, 2, 0x44, 0x01, 0, ';'};
    const bytes_t psd = encodePsd(base, {3, 8});
    const bytes_t psdRle = encodePsd(base, {3, 16, false, true});
    bytes_t psdShortRow = psdRle;
    psdShortRow[26 + 4 + 16 + 4 + 4 + 2 + 1] -= 1; // first row's byte count
    const auto withField = [&](size_t offset, uint16_t value) {
        bytes_t file = psd;
        file[offset] = uint8_t(value >> 8);
        file[offset + 1] = uint8_t(value);
        return file;
    };
    return {
        {"PNM P6 without its last byte", cut(ppm, ppm.size() - 1), "PNM data ends early"},
        {"PNM P4 half", cut(pbm, pbm.size() / 2), "PNM data ends early"},
        {"PNM P2 without its last sample", text("P2\n2 2\n255\n1 2 3"), "PNM data ends early"},
        {"PNM P1 without its last pixel", text("P1\n3 1\n01"), "PNM data ends early"},
        {"PNM binary sample above the maximum", text("P5\n2 1\n100\n\x05\xc8"), "above the maximum value 100"},
        {"PNM plain sample above the maximum", text("P3\n1 1\n255\n1 2 300\n"), "above the maximum value 255"},
        {"PNM maximum 0", text("P5 1 1 0\n."), "maximum value 0 is outside 1 to 65535"},
        {"PNM maximum 65536", text("P2\n1 1\n65536\n1\n"), "maximum value 65536 is outside"},
        {"PNM width 0", text("P5\n0 4\n255\n"), "empty or larger than 1 GiB"},
        {"PNM 20000 x 20000", text("P6\n20000 20000\n255\nabcdef"), "larger than 1 GiB"},
        {"PNM letters among the samples", text("P2\n2 1\n9\n1 x\n"), "damaged PNM data"},
        {"PNM header run into the samples", text("P5\n1 1\n255x"), "damaged PNM header"},
        {"TGA without its last byte", cut(tga, tga.size() - 1), "TGA data ends early"},
        {"TGA run-length half", cut(tgaRle, tgaRle.size() / 2), "TGA data ends early"},
        {"TGA run past the last pixel", tgaLongRun, "run-length packet beyond the image"},
        {"TGA colour index past the map", tgaMapped, "colour index 200 outside the colour map"},
        {"TGA colour index before the map", tgaBelowMap, "colour index 2 outside the colour map"},
        {"TGA 65535 x 65535", tgaHuge, "larger than 1 GiB"},
        {"GIF half", cut(gif, gif.size() / 2), "GIF data ends early"},
        {"GIF header only", cut(gif, 13), "GIF data ends early"},
        {"GIF without its trailer", cut(gif, gif.size() - 1), "GIF data ends early"},
        {"GIF frame beyond the screen", gifOutside, "beyond the screen"},
        {"GIF colour index past the table", gifBeyondTable, "colour index 4 beyond the 4 colours"},
        {"GIF scrambled codes", gifScrambled, "damaged GIF"},
        {"GIF without a colour table", gifNoTable, "no colour table"},
        {"PSD half", cut(psd, psd.size() / 2), "PSD data ends early"},
        {"PSD run-length without its last byte", cut(psdRle, psdRle.size() - 1), "PSD data ends early"},
        {"PSD run-length row longer than its count", psdShortRow, "damaged PSD run-length data"},
        {"PSD version 2", withField(4, 2), "unsupported PSD version 2"},
        {"PSD CMYK", withField(24, 4), "unsupported PSD colour mode 4"},
        {"PSD 32 bits", withField(22, 32), "unsupported PSD depth 32"},
        {"PSD two channels of RGB", withField(12, 2), "2 channels"},
        {"PSD compressed by zip", withField(26 + 4 + 16 + 4 + 4, 2), "unsupported PSD compression 2"},
    };
}
