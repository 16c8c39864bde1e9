#include "inspectFixtures_support.h"

#include "bootfile/littleEndian.h"
#include "tools/sampleZbeos.h"

namespace {

void appendLE32(bytes_t &bytes, uint32_t value)
{
    bytes.resize(bytes.size() + 4);
    putLE32(bytes.data() + bytes.size() - 4, value);
}

} // namespace

bytes_t packRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, const bytes_t &pixels)
{
    bytes_t record;
    for (uint32_t value : {width, height, x, y})
        appendLE32(record, value);
    record.insert(record.end(), pixels.begin(), pixels.end());
    return record;
}

bytes_t packOf(const std::vector<bytes_t> &areas)
{
    bytes_t pack(8 * (areas.size() + 1), 0);
    for (size_t k = 0; k < areas.size(); ++k) {
        if (areas[k].empty())
            continue;
        putLE32(pack.data() + 8 * k, uint32_t(areas[k].size()));
        putLE32(pack.data() + 8 * k + 4, uint32_t(pack.size()));
        pack.insert(pack.end(), areas[k].begin(), areas[k].end());
    }
    return pack;
}

bytes_t screenRecord(uint32_t width, uint32_t height, uint32_t depth)
{
    bytes_t record;
    for (uint32_t value : {width, height, depth})
        appendLE32(record, value);
    return record;
}

bytes_t handPalette()
{
    bytes_t palette;
    for (unsigned i = 0; i < 256; ++i)
        palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), 128});
    return palette;
}

bytes_t handPack()
{
    return packOf({screenRecord(6, 4, 8), handPalette(), packRecord(2, 1, 3, 3, {5, 6}), {},
                   packRecord(3, 2, 0, 0, {1, 2, 3, 4, 5, 6}), packRecord(2, 1, 3, 3, {7, 7}),
                   packRecord(2, 2, 5, 2, {8, 9, 10, 11}), packRecord(1, 1, 10, 10, {13}),
                   packRecord(1, 1, 1, 1, {12})});
}

bytes_t zbeosWithPack(const bytes_t &pack)
{
    bytes_t file = makeSampleBootCode();
    const bytes_t loader = makeSampleLoader();
    const bytes_t loaderMember = makeGzipMember("beos", sampleMtime, loader.data(), loader.size());
    const bytes_t splashMember = makeGzipMember("images", sampleMtime, pack.data(), pack.size());
    file.insert(file.end(), loaderMember.begin(), loaderMember.end());
    file.insert(file.end(), splashMember.begin(), splashMember.end());
    return file;
}
