#include "decoderChecks_support.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t kRgb32 = 0x0008;
constexpr uint32_t kRgba32 = 0x2008;

bool ofFormat(const std::string &name, const std::string &format)
{
    return name.compare(0, format.size() + 1, format + " ") == 0;
}

} // namespace

void expectBitmap(const translated_t &result, uint32_t width, uint32_t height, uint32_t colors)
{
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.rowBytes, width * 4);
    EXPECT_EQ(result.dataSize, width * height * 4);
    EXPECT_EQ(result.colors, colors);
    EXPECT_EQ(result.bounds[0], 0.0f);
    EXPECT_EQ(result.bounds[1], 0.0f);
    EXPECT_EQ(result.bounds[2], float(width - 1));
    EXPECT_EQ(result.bounds[3], float(height - 1));
    EXPECT_EQ(result.pixels.size(), size_t(result.dataSize));
}

void expectDecodedAs(const imageVariant_t &variant)
{
    const translated_t result = translateBytes(variant.file);
    ASSERT_TRUE(result.ok) << result.reason;
    EXPECT_EQ(result.rowBytes, variant.width * 4);
    EXPECT_EQ(result.dataSize, variant.width * variant.height * 4);
    EXPECT_EQ(result.colors, variant.alpha ? kRgba32 : kRgb32);
    EXPECT_TRUE(result.pixels == variant.bgra);
}

void expectRefused(const damagedImage_t &damaged)
{
    const translated_t result = translateBytes(damaged.file);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.streamLength, 0u);
    EXPECT_NE(result.reason.find(damaged.reason), std::string::npos) << result.reason;
}

std::vector<imageVariant_t> variantsOf(const std::string &format)
{
    std::vector<imageVariant_t> out;
    for (imageVariant_t &variant : imageVariants())
        if (ofFormat(variant.name, format))
            out.push_back(std::move(variant));
    EXPECT_FALSE(out.empty()) << "no " << format << " variants";
    return out;
}

std::vector<damagedImage_t> damagedOf(const std::string &format)
{
    std::vector<damagedImage_t> out;
    for (damagedImage_t &damaged : damagedImages())
        if (ofFormat(damaged.name, format))
            out.push_back(std::move(damaged));
    EXPECT_FALSE(out.empty()) << "no damaged " << format << " files";
    return out;
}

bytes_t cut(bytes_t file, size_t length)
{
    file.resize(length);
    return file;
}

void expectEveryVariantDecoded(const std::string &format)
{
    for (const imageVariant_t &variant : variantsOf(format)) {
        SCOPED_TRACE(variant.name);
        expectDecodedAs(variant);
    }
}

void expectEveryDamagedRefused(const std::string &format)
{
    for (const damagedImage_t &damaged : damagedOf(format)) {
        SCOPED_TRACE(damaged.name);
        expectRefused(damaged);
    }
}
