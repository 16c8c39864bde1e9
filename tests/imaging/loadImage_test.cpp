#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <functional>

#include "decoders/fileRows.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "fixtures/imageFiles.h"
#include "fixtures/imageVariants.h"
#include "imageFixtures_support.h"
#include "imaging/loadImage.h"

namespace {

constexpr uint32_t kRgb32 = 0x0008;
constexpr uint32_t kRgba32 = 0x2008;

std::vector<uint8_t> countingBytes(size_t n)
{
    std::vector<uint8_t> bytes(n);
    for (size_t i = 0; i < n; ++i)
        bytes[i] = uint8_t(i * 7 + i / 256);
    return bytes;
}

imagePtr load(const std::string &path) { return imagePtr(new loadedImage_t(loadImage(path.c_str()))); }

// Loads start one level deep, so that the trace shows the loader's own step.
class LoadImage : public testing::Test {
protected:
    void SetUp() override { ident_level = 1; }
    void TearDown() override
    {
        ident_level = 0;
        trace_level = 1;
    }
};

TEST_F(LoadImage, UnpacksTheStreamWithItsTrace)
{
    const std::vector<uint8_t> payload = countingBytes(120000);
    const std::string path =
        writeScratchFile("hundred.bits", bitmapStream(400, kRgb32, 120000, payload));

    imagePtr image;
    const std::string verbose = traceOf(2, [&] { image = load(path); });
    EXPECT_EQ(verbose, "... ... RowBytes: 400\n"
                       "... ... Colors  : 8\n"
                       "... ... DataSize: 120000\n"
                       "... ... Geometry: 100x300\n");
    EXPECT_EQ(ident_level, 1u);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 100u);
    EXPECT_EQ(image->height(), 300u);
    EXPECT_EQ(image->x(), 0);
    EXPECT_EQ(image->y(), 0);
    // The header is big-endian, the pixels are taken byte for byte.
    EXPECT_EQ(std::memcmp(image->pixels().data(), payload.data(), payload.size()), 0);

    const std::string quiet = traceOf(1, [&] { load(path); });
    EXPECT_EQ(quiet, "... ... DataSize: 120000\n... ... Geometry: 100x300\n");
}

TEST_F(LoadImage, BufferHoldsEveryByteOfThePayload)
{
    const struct {
        const char *name;
        uint32_t rowBytes, dataSize;
        size_t payload;
        uint32_t width, height;
    } cases[] = {
        // A partial last row does not count, yet stays in the buffer.
        {"partial row", 400, 1000, 1000, 100, 2},
        // Padding columns become pixels.
        {"padded rows", 10, 40, 40, 2, 5},
        {"less than a row", 400, 100, 100, 100, 0},
        {"no data", 8, 0, 0, 2, 0},
        // A short payload leaves a black tail.
        {"short payload", 16, 64, 40, 4, 4},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<uint8_t> payload = countingBytes(c.payload);
        imagePtr image;
        traceOf(0, [&] {
            image = load(writeScratchFile("case.bits",
                                          bitmapStream(c.rowBytes, kRgb32, c.dataSize, payload)));
        });
        EXPECT_EQ(image->width(), c.width);
        EXPECT_EQ(image->height(), c.height);
        std::vector<uint8_t> expected = payload;
        expected.resize(c.dataSize, 0);
        EXPECT_EQ(std::vector<uint8_t>(image->pixels().data(), image->pixels().data() + c.dataSize), expected);
    }
}

TEST_F(LoadImage, TransparentPixelsKeepTheirColour)
{
    const std::vector<uint8_t> payload = {10, 20, 30, 0, 40, 50, 60, 128};
    imagePtr image;
    const std::string trace = traceOf(2, [&] {
        image = load(writeScratchFile("alpha.bits", bitmapStream(8, kRgba32, 8, payload)));
    });
    EXPECT_NE(trace.find("Colors  : 2008\n"), std::string::npos);
    EXPECT_EQ(std::vector<uint8_t>(image->pixels().data(), image->pixels().data() + 8), payload);
    EXPECT_TRUE(image->hasAlpha());
}

TEST_F(LoadImage, WithoutAlphaTheFourthByteIsNoOpacity)
{
    const std::vector<uint8_t> payload = {10, 20, 30, 0, 40, 50, 60, 128};
    imagePtr image;
    traceOf(0, [&] { image = load(writeScratchFile("opaque.bits", bitmapStream(8, kRgb32, 8, payload))); });
    EXPECT_FALSE(image->hasAlpha());
    EXPECT_EQ(std::vector<uint8_t>(image->pixels().data(), image->pixels().data() + 8), payload);
}

TEST_F(LoadImage, DecodesImageFiles)
{
    const std::string pnm = "P6\n2 1\n255\n\x01\x02\x03\xfa\xfb\xfc";
    imagePtr image;
    traceOf(0, [&] { image = load(writeScratchFile("pair.ppm", {pnm.begin(), pnm.end()})); });
    EXPECT_EQ(image->width(), 2u);
    EXPECT_EQ(image->height(), 1u);
    const uint8_t expected[8] = {3, 2, 1, 255, 0xfc, 0xfb, 0xfa, 255};
    EXPECT_EQ(std::memcmp(image->pixels().data(), expected, 8), 0);
}

// Decoded pixels reach the record without a bitmap stream in between: every
// stored form must still land exactly as its decoder made it.
TEST_F(LoadImage, EveryVariantLandsInTheRecordAsDecoded)
{
    for (const imageVariant_t &variant : imageVariants()) {
        imagePtr image;
        traceOf(0, [&] { image = load(writeScratchFile("variant", variant.file)); });
        ASSERT_EQ(image->width(), variant.width) << variant.name;
        ASSERT_EQ(image->height(), variant.height) << variant.name;
        EXPECT_EQ(image->hasAlpha(), variant.alpha) << variant.name;
        EXPECT_EQ(image->pixels(), variant.bgra) << variant.name;
    }
}

// Only -v tells that a photo's pixels are not quite as stored. The least
// size is the upright picture's: 8 x 4 of a photo stored 64 x 32 on its side
// needs the 1/4 scale; the stored sides alone would take 1/8, giving 4 x 8.
TEST_F(LoadImage, TurnedOrProfiledPhotosSaySoUnderVerbose)
{
    const std::string path = writeScratchFile(
        "sideways.jpg", encodeJpeg(colourfulImage(64, 32), jpegKind_t::colour, {exifOrientationBlock(6, true), {7, 7}}));
    const auto sideways = [&] { loadImage(path.c_str(), leastSize_t{8, 4}); };
    EXPECT_EQ(traceOf(2, sideways), "... ... RowBytes: 32\n"
                                    "... ... Colors  : 8\n"
                                    "... ... DataSize: 512\n"
                                    "... ... colour profile ignored: it cannot be read\n"
                                    "... ... turned upright: EXIF orientation 6\n"
                                    "... ... Geometry: 8x16\n");
    EXPECT_EQ(traceOf(1, sideways), "... ... DataSize: 512\n... ... Geometry: 8x16\n");
}

TEST_F(LoadImage, AnAnimationSaysUnderVHowManyFramesItHas)
{
    for (const imageVariant_t &variant : imageVariants())
        if (variant.name == "GIF two frames" || variant.name == "GIF plain") {
            const std::string path = writeScratchFile("animation.gif", variant.file);
            const size_t at = traceOf(2, [&] { load(path); }).find("... ... 2 frames: the first is shown\n");
            EXPECT_EQ(at != std::string::npos, variant.name == "GIF two frames");
        }
}

TEST_F(LoadImage, RefusalsSayWhyAndRestoreTheTrace)
{
    const std::string header = "bits" + std::string(10, '\0');
    std::vector<uint8_t> swapped = bitmapStream(8, kRgb32, 8, countingBytes(8));
    std::swap(swapped[0], swapped[3]);
    std::swap(swapped[1], swapped[2]);
    const std::string missing = scratchDirectory() + "/nothing here.png";
    const std::string cutShort = "P6\n2 1\n255\n\x01\x02\x03";
    // Files that cannot be opened or decoded keep the error line as it always
    // was and say why in the trace just before it; a bitmap stream's header
    // says it there.
    const struct {
        const char *name;
        std::string path;
        const char *reason;
        std::string trace;
    } cases[] = {
        {"missing file", missing, "", "cannot open " + missing + ": No such file or directory"},
        {"directory", scratchDirectory(), "",
         "cannot open " + scratchDirectory() + ": Is a directory"},
        {"device", "/dev/null", "", "cannot open /dev/null: not a regular file"},
        {"empty file", writeScratchFile("empty.png", {}), "", "cannot decode *: the file is empty"},
        {"unknown content", writeScratchFile("text.png", {'h', 'i', '\n'}), "",
         "cannot decode *: unknown file format"},
        {"damaged data", writeScratchFile("short.ppm", {cutShort.begin(), cutShort.end()}), "",
         "cannot decode *: PNM data ends early"},
        {"header cut short", writeScratchFile("short.bits", {header.begin(), header.end()}), "", ""},
        {"little-endian magic", writeScratchFile("swapped.bits", swapped),
         "not a bitmap stream (wrong magic)", ""},
        {"palette colour space",
         writeScratchFile("cmap.bits", bitmapStream(8, 0x0004, 8, countingBytes(8))),
         "colour space is neither B_RGB32 nor B_RGBA32", ""},
        {"big-endian RGB32",
         writeScratchFile("big.bits", bitmapStream(8, 0x1008, 8, countingBytes(8))),
         "colour space is neither B_RGB32 nor B_RGBA32", ""},
        {"zero row size", writeScratchFile("zero.bits", bitmapStream(0, kRgb32, 8, countingBytes(8))),
         "row size is smaller than one pixel", ""},
        {"row below a pixel",
         writeScratchFile("three.bits", bitmapStream(3, kRgb32, 8, countingBytes(8))),
         "row size is smaller than one pixel", ""},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        bool thrown = false;
        const auto load = [&] {
            try {
                loadImage(c.path.c_str());
            } catch (const dawnmarkError_t &error) {
                thrown = true;
                EXPECT_EQ(error.subject, "LoadImage error");
                ASSERT_TRUE(error.reason);
                EXPECT_EQ(error.reason, c.reason);
            }
        };
        const std::string trace = traceOf(2, load);
        EXPECT_TRUE(thrown);
        EXPECT_EQ(ident_level, 1u);
        std::string expected = c.trace;
        const size_t star = expected.find('*');
        if (star != std::string::npos)
            expected.replace(star, 1, c.path);
        if (expected.empty())
            EXPECT_EQ(trace.find("cannot"), std::string::npos);
        else
            EXPECT_EQ(trace, "... ... " + expected + "\n");
        // Without -v the reason stays out of the output.
        EXPECT_EQ(traceOf(1, load).find("cannot"), std::string::npos);
    }
}

// A JPEG that the reduced decode refuses fails as the ordinary load does,
// with the same reason in the trace.
TEST_F(LoadImage, AtLeastASizeFailsAsTheOrdinaryLoad)
{
    const bytes_t jpeg = encodeJpeg(colourfulImage(64, 48), jpegKind_t::colour);
    const std::string path = writeScratchFile("cut.jpg", bytes_t(jpeg.begin(), jpeg.begin() + jpeg.size() / 2));
    const auto traceOfLoad = [](const std::function<void()> &load) {
        return traceOf(2, [&] { EXPECT_THROW(load(), dawnmarkError_t); });
    };
    EXPECT_EQ(traceOfLoad([&] { loadImage(path.c_str(), {10, 12}); }),
              traceOfLoad([&] { loadImage(path.c_str()); }));
    // Zoomed as it is decoded, it is found damaged only part of the way.
    secondThread_t thread;
    for (secondThread_t *decoding : {static_cast<secondThread_t *>(nullptr), &thread})
        EXPECT_EQ(traceOfLoad([&] {
                      loadImageZoomed(path.c_str(), {10, 12}, {filteredZoom_t::covering, 4, 4, {}}, decoding);
                  }),
                  traceOfLoad([&] { loadImage(path.c_str()); }));
}

// A picture zoomed down as it is decoded, a row at a time, must come out as
// the whole decode zoomed, with the same lines: sides that end on whole
// pixels of the reduced scale and sides that do not, alpha, 16 bits, grey,
// progressive, a colour profile, a mirrored photo, each filtered zoom, one
// with nothing to do and none. An interlaced PNG and a turned photo are
// decoded whole.
TEST_F(LoadImage, ZoomedWhileDecodingIsTheWholeDecodeZoomed)
{
    std::ifstream icc("/usr/share/color/icc/colord/ProPhotoRGB.icc", std::ios::binary);
    const bytes_t prophoto((std::istreambuf_iterator<char>(icc)), std::istreambuf_iterator<char>());
    ASSERT_FALSE(prophoto.empty()) << "colord-data is missing: run tools/setup.sh";
    rgbaImage_t seeThrough = colourfulImage(97, 61);
    for (size_t i = 3; i < seeThrough.rgba.size(); i += 4 * 3)
        seeThrough.rgba[i] = uint8_t(i * 5);
    pngSpec_t deep = {130, 90, 2, 16, false, {}, {}, {}};
    for (uint32_t i = 0; i < 130 * 90 * 3; ++i)
        deep.samples.push_back(uint16_t(i * 2654435761u >> 16));
    pngSpec_t interlaced = deep;
    interlaced.interlaced = true;
    using zoom = filteredZoom_t;
    const struct {
        const char *name;
        bytes_t file;
        filteredZoom_t zoom;
        bool rowByRow;
    } cases[] = {
        {"plain.png", encodePng(colourfulImage(200, 150), false), {zoom::covering, 64, 48, {}}, true},
        {"alpha.png", encodePng(seeThrough, true), {zoom::within, 40, 40, {}}, true},
        {"deep.png", encodePng(deep), {zoom::boundingBox, 33, 17, {}}, true},
        {"interlaced.png", encodePng(interlaced), {zoom::covering, 20, 20, {}}, false},
        {"profiled.png", encodePng(colourfulImage(90, 70), false, {{}, prophoto}), {zoom::covering, 25, 9, {0.2, 0.9}},
         true},
        {"odd.jpg", encodeJpeg(colourfulImage(203, 157), jpegKind_t::colour), {zoom::covering, 30, 20, {0.7, 0.1}},
         true},
        {"grey.jpg", encodeJpeg(colourfulImage(160, 120), jpegKind_t::grey), {zoom::within, 50, 16, {}}, true},
        {"progressive.jpg", encodeJpeg(colourfulImage(77, 123), jpegKind_t::progressive),
         {zoom::boundingBox, 20, 30, {}}, true},
        {"as is.png", encodePng(colourfulImage(40, 30), false), {zoom::within, 40, 30, {}}, true},
        {"unzoomed.jpg", encodeJpeg(colourfulImage(64, 40), jpegKind_t::colour), {}, true},
        {"mirrored.jpg", encodeJpeg(colourfulImage(203, 157), jpegKind_t::colour, {exifOrientationBlock(2, false), {}}),
         {zoom::covering, 30, 20, {0.7, 0.1}}, true},
        {"turned.jpg", encodeJpeg(colourfulImage(80, 60), jpegKind_t::colour, {exifOrientationBlock(6, true), {}}),
         {zoom::within, 16, 16, {}}, false},
    };
    for (const auto &c : cases) {
        const std::string path = writeScratchFile(c.name, c.file);
        const leastSize_t least = {3 * c.zoom.width, 3 * c.zoom.height};
        EXPECT_EQ(openFileRows(path.c_str(), least) != nullptr, c.rowByRow) << c.name;
        zoomedLoad_t streamed;
        const std::string streamedTrace =
            traceOf(2, [&] { streamed = loadImageZoomed(path.c_str(), least, c.zoom); });
        loadedImage_t whole;
        const std::string wholeTrace = traceOf(2, [&] {
            whole = loadImage(path.c_str(), least);
            zoomAsPlanned(&whole, c.zoom);
        });
        EXPECT_EQ(streamedTrace, wholeTrace) << c.name;
        EXPECT_EQ(streamed.image.width(), whole.width()) << c.name;
        EXPECT_EQ(streamed.image.height(), whole.height()) << c.name;
        EXPECT_EQ(streamed.image.x(), whole.x()) << c.name;
        EXPECT_EQ(streamed.image.y(), whole.y()) << c.name;
        EXPECT_EQ(streamed.image.pixels(), whole.pixels()) << c.name;
        secondThread_t thread;
        traceOf(2, [&] { streamed = loadImageZoomed(path.c_str(), least, c.zoom, &thread); });
        EXPECT_EQ(streamed.image.pixels(), whole.pixels()) << c.name << ", decoded on the second thread";
    }
}

// A bitmap stream header is a claim, not a promise: the loader must not
// allocate what a few bytes of header ask for beyond what any image may be.
TEST(OversizedBitmapStream, ClaimBeyondOneGibibyteIsRefusedWithoutAllocating)
{
    for (uint32_t dataSize : {0xFFFFFFF0u, (1u << 30) + 4}) {
        SCOPED_TRACE(dataSize);
        const std::string path =
            writeScratchFile("claims.bits", bitmapStream(4, 0x0008, dataSize, {1, 2, 3, 4}));
        try {
            traceOf(0, [&] { loadImage(path.c_str()); });
            FAIL() << "loaded";
        } catch (const dawnmarkError_t &error) {
            EXPECT_EQ(error.subject, "LoadImage error");
            EXPECT_EQ(error.reason, "pixel data larger than 1 GiB");
        }
    }
}

TEST(OversizedBitmapStream, ShortPayloadWithinTheLimitStillLoads)
{
    const std::string path = writeScratchFile("short.bits", bitmapStream(8, 0x0008, 64, {9, 9}));
    loadedImage_t image;
    traceOf(0, [&] { image = loadImage(path.c_str()); });
    EXPECT_EQ(image.width(), 2u);
    EXPECT_EQ(image.height(), 8u);
    EXPECT_EQ(image.pixels()[0], 9);
    EXPECT_EQ(image.pixels()[63], 0);
}

} // namespace
