#include "support/scratch.h"
#include "imageFixtures_support.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <stdexcept>

#include "diagnostics/traceMsg.h"

namespace {

void put32be(std::vector<uint8_t> &out, uint32_t v)
{
    out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
}

void putFloatBe(std::vector<uint8_t> &out, float f)
{
    uint32_t bits;
    std::memcpy(&bits, &f, 4);
    put32be(out, bits);
}

} // namespace

std::vector<uint8_t> imageBitmapStream(uint32_t magic, uint32_t rowBytes, uint32_t colors,
                                       uint32_t dataSize, const std::vector<uint8_t> &payload)
{
    std::vector<uint8_t> out;
    put32be(out, magic);
    const uint32_t width = rowBytes / 4;
    const uint32_t height = width > 0 ? dataSize / rowBytes : 0;
    putFloatBe(out, 0);
    putFloatBe(out, 0);
    putFloatBe(out, float(width) - 1);
    putFloatBe(out, float(height) - 1);
    put32be(out, rowBytes);
    put32be(out, colors);
    put32be(out, dataSize);
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::string imageScratchDirectory()
{
    static const std::string directory = makeScratchDirectory();
    return directory;
}

std::string imageScratchFile(const std::string &name, const std::vector<uint8_t> &content)
{
    const std::string path = imageScratchDirectory() + "/" + name;
    writeFileBytes(path, content.data(), content.size());
    return path;
}

imagePtr imageOfCoordinates(unsigned w, unsigned h)
{
    imagePtr image = blankImage(w, h);
    uint8_t *p = image->pixels;
    for (unsigned r = 0; r < h; ++r)
        for (unsigned c = 0; c < w; ++c, p += 4) {
            p[0] = uint8_t(c);
            p[1] = uint8_t(c >> 8);
            p[2] = uint8_t(r);
            p[3] = uint8_t(r >> 8);
        }
    return image;
}

std::pair<unsigned, unsigned> imageCoordinatesAt(const loadedImage_t *image, unsigned column,
                                                 unsigned row)
{
    const uint8_t *p = image->pixels + (size_t(row) * image->width + column) * 4;
    return {p[0] | p[1] << 8, p[2] | p[3] << 8};
}

void imageTraceBegin(unsigned level)
{
    TRACE_setlevel(level);
    testing::internal::CaptureStdout();
}

std::string imageTraceEnd()
{
    std::fflush(stdout);
    std::string text = testing::internal::GetCapturedStdout();
    TRACE_setlevel(1);
    return text;
}
