#include "decoderChecks_support.h"

#include <gtest/gtest.h>

namespace {

bool ofFormat(const std::string &name, const std::string &format)
{
    return name.compare(0, format.size() + 1, format + " ") == 0;
}

} // namespace

decodedFile_t decodeBytes(const bytes_t &file) { return decodeContent(file.data(), file.size()); }

void expectBitmap(const decodedFile_t &result, uint32_t width, uint32_t height, uint32_t colors)
{
    ASSERT_EQ(result.refusedBy, refusedBy_t::nothing) << result.reason;
    EXPECT_EQ(result.bitmap.width, width);
    EXPECT_EQ(result.bitmap.height, height);
    EXPECT_EQ(result.bitmap.alpha, colors == kColorsRgba32);
    ASSERT_TRUE(result.header);
    EXPECT_EQ(result.header->rowBytes, width * 4);
    EXPECT_EQ(result.header->dataSize, width * height * 4);
    EXPECT_EQ(result.header->colors, colors);
    EXPECT_EQ(result.bitmap.pixels.size(), size_t(result.header->dataSize));
}

void expectDecodedAs(const imageVariant_t &variant)
{
    const decodedFile_t result = decodeBytes(variant.file);
    expectBitmap(result, variant.width, variant.height, variant.alpha ? kColorsRgba32 : kColorsRgb32);
    EXPECT_TRUE(result.bitmap.pixels == variant.bgra);
}

void expectRefused(const damagedImage_t &damaged)
{
    const decodedFile_t result = decodeBytes(damaged.file);
    EXPECT_EQ(result.refusedBy, refusedBy_t::decoding);
    EXPECT_TRUE(result.bitmap.pixels.empty());
    EXPECT_FALSE(result.header);
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
