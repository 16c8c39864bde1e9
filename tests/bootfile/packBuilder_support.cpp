#include "packBuilder_support.h"

#include "bootfile/littleEndian.h"
#include "tools/sampleZbeos.h"

bytes_t imageRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t fill)
{
    bytes_t record(16 + size_t(width) * height, fill);
    putLE32(&record[0], width);
    putLE32(&record[4], height);
    putLE32(&record[8], x);
    putLE32(&record[12], y);
    return record;
}

packBuilder_t::packBuilder_t(unsigned entryCount) : bytes(8 * size_t(entryCount), 0) {}

packBuilder_t &packBuilder_t::Area(unsigned k, const bytes_t &area)
{
    Entry(k, uint32_t(area.size()), uint32_t(bytes.size()));
    bytes.insert(bytes.end(), area.begin(), area.end());
    return *this;
}

packBuilder_t &packBuilder_t::Entry(unsigned k, uint32_t length, uint32_t offset)
{
    putLE32(&bytes[8 * k], length);
    putLE32(&bytes[8 * k + 4], offset);
    return *this;
}

bytes_t testPalette()
{
    bytes_t palette;
    for (unsigned i = 0; i < 256; ++i)
        palette.insert(palette.end(), {uint8_t(i), uint8_t(255 - i), uint8_t(i / 2)});
    return palette;
}

bytes_t wellFormedPack(unsigned artworkCount)
{
    packBuilder_t pack(artworkCount + 6);
    pack.Area(0, bytes_t(12, 0)).Area(1, testPalette()).Area(2, imageRecord(200, 40, 220, 420, 7));
    for (unsigned i = 0; i < artworkCount; ++i)
        pack.Area(4 + i, imageRecord(8, 8, i, i, uint8_t(100 + i)));
    pack.Area(4 + artworkCount, imageRecord(200, 40, 220, 420, 3));
    return pack.bytes;
}

zbeosParts_t::zbeosParts_t() : bootCode(makeSampleBootCode())
{
    bytes_t loader = makeSampleLoader();
    loaderMember = makeGzipMember("beos", sampleMtime, loader.data(), loader.size());
    bytes_t pack = wellFormedPack();
    splashMember = makeGzipMember("images", sampleMtime, pack.data(), pack.size());
}

bytes_t zbeosParts_t::Join() const
{
    bytes_t file = bootCode;
    for (const bytes_t *part : {&loaderMember, &between})
        file.insert(file.end(), part->begin(), part->end());
    file.insert(file.end(), splashMember.begin(), splashMember.end() - 8);
    file.insert(file.end(), extraTail.begin(), extraTail.end());
    file.insert(file.end(), splashMember.end() - 8, splashMember.end());
    return file;
}

bytes_t splashMemberOf(const bytes_t &pack)
{
    return makeGzipMember("images", sampleMtime, pack.data(), pack.size());
}
