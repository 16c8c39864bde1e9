// make-fuzz-corpus DIRECTORY: writes the seed corpora of the fuzz targets
// into DIRECTORY/<target>/, from the same generators the tests use: the
// sample boot loader file, its icon pack, small images of every format the
// loader reads, and the description examples.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <vector>

#include <lcms2.h>
#include <png.h>

#include "fixtures/bitmapStream.h"
#include "fixtures/imageVariants.h"
#include "bootfile/packFormat.h"
#include "tools/sampleZbeos.h"

namespace {

std::string root;

void put(const std::string &target, const std::string &name, const void *data, size_t size)
{
    std::string directory = root + "/" + target;
    mkdir(root.c_str(), 0777);
    mkdir(directory.c_str(), 0777);
    std::string path = directory + "/" + name;
    FILE *file = fopen(path.c_str(), "wb");
    if (file == nullptr || fwrite(data, 1, size, file) != size || fclose(file) != 0) {
        perror(path.c_str());
        exit(1);
    }
}

void put(const std::string &target, const std::string &name, const std::vector<uint8_t> &bytes)
{
    put(target, name, bytes.data(), bytes.size());
}

void put(const std::string &target, const std::string &name, const std::string &text)
{
    put(target, name, text.data(), text.size());
}

// A variant's name as a file name: letters and digits, the rest dashes.
std::string fileName(const std::string &name)
{
    std::string out;
    for (char c : name)
        out += isalnum(static_cast<unsigned char>(c)) ? char(tolower(c)) : '-';
    return out;
}

bytes_t bitmapStreamOf(const rgbaImage_t &image)
{
    const bytes_t pixels = toBgra(image, true);
    return bitmapStream(image.width * 4, 0x2008 /* B_RGBA32 */, uint32_t(pixels.size()), pixels);
}

/// A small grey profile (gamma 2.2) for the colour conversion to work on.
bytes_t greyProfile()
{
    cmsToneCurve *curve = cmsBuildGamma(nullptr, 2.2);
    cmsHPROFILE profile = cmsCreateGrayProfile(cmsD50_xyY(), curve);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    bytes_t bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    cmsFreeToneCurve(curve);
    return bytes;
}

void writeImages()
{
    const rgbaImage_t image = colourfulImage(7, 5);
    put("image", "rgb.png", encodePng(image, false));
    put("image", "rgba.png", encodePng(image, true));
    pngSpec_t palette{5, 3, PNG_COLOR_TYPE_PALETTE, 4, true, {}, {}, {}};
    for (uint16_t i = 0; i < 15; ++i)
        palette.samples.push_back(i % 16);
    for (int i = 0; i < 16 * 3; ++i)
        palette.paletteRgb.push_back(uint8_t(i * 5));
    palette.paletteAlpha = {0, 128, 255};
    put("image", "palette4-interlaced.png", encodePng(palette));
    pngSpec_t grey{4, 3, PNG_COLOR_TYPE_GRAY, 16, false, {}, {}, {}};
    for (uint16_t i = 0; i < 12; ++i)
        grey.samples.push_back(uint16_t(i * 5000));
    grey.grayKey = true;
    grey.grayKeyValue = 5000;
    put("image", "grey16-key.png", encodePng(grey));
    put("image", "colour.jpg", encodeJpeg(image, jpegKind_t::colour));
    put("image", "grey.jpg", encodeJpeg(image, jpegKind_t::grey));
    put("image", "progressive.jpg", encodeJpeg(image, jpegKind_t::progressive));
    put("image", "cmyk.jpg", encodeJpeg(image, jpegKind_t::cmykAdobe));
    // Photos that are turned upright and converted from their colour profile.
    put("image", "sideways.jpg", encodeJpeg(image, jpegKind_t::colour, {exifOrientationBlock(6, false), {}}));
    put("image", "mirrored.png", encodePng(image, false, {exifOrientationBlock(2, true), {}}));
    put("image", "grey-profile.jpg", encodeJpeg(image, jpegKind_t::grey, {{}, greyProfile()}));
    put("image", "image.bmp", encodeBmp(image));
    put("image", "image.bits", bitmapStreamOf(image));
    // Every stored form the tests check, and the damaged files, so that the
    // fuzzer starts from each branch of the decoders.
    for (const imageVariant_t &variant : imageVariants())
        put("image", fileName(variant.name), variant.file);
    for (const damagedImage_t &damaged : damagedImages())
        put("image", fileName("damaged " + damaged.name), damaged.file);
}

// Files of today's photo formats come from their own encoders (tools/setup.sh
// installs them), made from the PNGs above, each also cut short.
void writePhotoFormats()
{
    const std::string directory = root + "/image";
    const struct {
        const char *name, *command;
    } made[] = {
        {"lossy-alpha.webp", "cwebp -quiet -q 60 rgba.png -o"},
        {"lossless.webp", "cwebp -quiet -lossless rgb.png -o"},
        {"animated.webp", "img2webp rgb.png -lossy grey.jpg -o"},
        {"alpha.heic", "heif-enc -q 50 rgba.png -o"},
        {"alpha.avif", "avifenc -s 10 rgba.png"},
        {"alpha.jxl", "cjxl -q 80 rgba.png"},
        {"lossless.jxl", "cjxl -d 0 rgb.png"},
    };
    for (const auto &file : made) {
        const std::string command =
            "cd '" + directory + "' && " + file.command + " " + file.name + " > /dev/null 2>&1";
        std::vector<uint8_t> bytes;
        FILE *in = std::system(command.c_str()) == 0 ? fopen((directory + "/" + file.name).c_str(), "rb") : nullptr;
        if (in == nullptr) {
            fprintf(stderr, "make-fuzz-corpus: cannot make %s (%s)\n", file.name, command.c_str());
            exit(1);
        }
        for (int c; (c = fgetc(in)) != EOF;)
            bytes.push_back(uint8_t(c));
        fclose(in);
        bytes.resize(bytes.size() * 9 / 10);
        put("image", std::string("cut-") + file.name, bytes);
    }
}

std::vector<uint8_t> imageRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t fill)
{
    std::vector<uint8_t> record(packRecordHeaderSize);
    writeRecordHeader(record.data(), {width, height, x, y});
    record.insert(record.end(), size_t(width) * height, fill);
    return record;
}

// The sample's layout with a strip of 6 x 2 and one 3 x 2 image: small
// enough for the fuzzer to mutate every field often.
std::vector<uint8_t> smallIconPack()
{
    uint8_t palette[packPaletteSize];
    for (unsigned i = 0; i < packPaletteSize; ++i)
        palette[i] = uint8_t(i * 7);
    return layOutPack({640, 480, 8}, palette,
                      {imageRecord(6, 2, 1, 2, 5), imageRecord(3, 2, 0, 0, 9), imageRecord(6, 2, 1, 2, 3)});
}

void writeBootLoader()
{
    put("iconpack", "sample-pack", makeSampleIconPack());
    const std::vector<uint8_t> pack = smallIconPack();
    put("iconpack", "small-pack", pack);
    put("zbeos", "sample-zbeos", makeSampleZbeos());

    std::vector<uint8_t> small = {0xEB, 0x3C, 0x90, 'b', 'o', 'o', 't'};
    const uint8_t loader[] = "a loader";
    for (const std::vector<uint8_t> &member :
         {makeGzipMember("beos", sampleMtime, loader, sizeof loader),
          makeGzipMember("images", sampleMtime, pack.data(), pack.size())})
        small.insert(small.end(), member.begin(), member.end());
    put("zbeos", "small-zbeos", small);
}

void writeDescriptions()
{
    put("description", "readme",
        "# screen WIDTH HEIGHT DEPTH\n"
        "screen 640 480 16\n"
        "# icons at X Y: where the strip of boot icons goes\n"
        "icons at 220 420\n"
        "\n"
        "# image \"FILE\" [at X Y [resized to W H | clipped to W H]]\n"
        "image \"background.png\"\n"
        "image \"sun.png\" at 260 200\n"
        "image \"stripe.tga\" at 0 330 resized to 640 24\n"
        "image \"corner.png\" at 540 0 clipped to 100 100\n");
    put("description", "quick-form",
        "# made for Dawnmark --full-palette --dither --alpha\nscreen 640 480 8\nicons at 220 420\n"
        "image \"photo.jpg\" at 0 0 covering 640 480\nimage \"logo.png\" at 10 10 within 100 50\n");
    put("description", "focus", "image \"photo.jpg\" at 0 0 covering 640 480 focus 50 30\n");
    put("description", "line-ends", "screen 800 600 8\r\nicons at 40 520\rimage \"a b.png\" at 0 0\n");
    put("description", "comment-at-end", "image \"x\"\n# no line end");
    put("description", "oddities",
        "screens 007 -3 4294967296\nimage \"two\" \"quotes\"\nicon at 1 2\n\xe9\n");
    put("description", "empty", "");
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make-fuzz-corpus DIRECTORY\n");
        return 1;
    }
    root = argv[1];
    writeImages();
    writePhotoFormats();
    writeBootLoader();
    writeDescriptions();
    return 0;
}
