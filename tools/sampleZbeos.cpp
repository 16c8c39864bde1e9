#include "tools/sampleZbeos.h"

#include <cstring>
#include <stdexcept>
#include <zlib.h>

#include "bootfile/packFormat.h"

namespace {

// The classic sixteen colours of a PC text screen, as a system palette
// usually begins.
const unsigned char systemColors[16][3] = {
    {0, 0, 0},       {0, 0, 170},     {0, 170, 0},     {0, 170, 170},
    {170, 0, 0},     {170, 0, 170},   {170, 85, 0},    {170, 170, 170},
    {85, 85, 85},    {85, 85, 255},   {85, 255, 85},   {85, 255, 255},
    {255, 85, 85},   {255, 85, 255},  {255, 255, 85},  {255, 255, 255},
};

std::vector<unsigned char> samplePalette()
{
    std::vector<unsigned char> palette;
    for (const auto &color : systemColors)
        palette.insert(palette.end(), color, color + 3);
    // Then a 6 x 6 x 6 colour cube and a grey ramp fill the other 240.
    for (unsigned r = 0; r < 6; ++r)
        for (unsigned g = 0; g < 6; ++g)
            for (unsigned b = 0; b < 6; ++b)
                palette.insert(palette.end(), {static_cast<unsigned char>(r * 51),
                                               static_cast<unsigned char>(g * 51),
                                               static_cast<unsigned char>(b * 51)});
    for (unsigned i = 0; i < 24; ++i) {
        unsigned char grey = static_cast<unsigned char>(8 + i * 10);
        palette.insert(palette.end(), {grey, grey, grey});
    }
    return palette;
}

struct record_t {
    uint32_t width, height, x, y;
    std::vector<unsigned char> pixels;

    record_t(uint32_t width, uint32_t height, uint32_t x, uint32_t y)
        : width(width), height(height), x(x), y(y), pixels(size_t(width) * height)
    {
    }

    unsigned char &at(uint32_t column, uint32_t row) { return pixels[size_t(row) * width + column]; }

    std::vector<unsigned char> bytes() const
    {
        std::vector<unsigned char> out(packRecordHeaderSize);
        writeRecordHeader(out.data(), {width, height, x, y});
        out.insert(out.end(), pixels.begin(), pixels.end());
        return out;
    }
};

// Five 40 x 40 icons (frame, disc, diamond, cross, bar), lit or dimmed.
record_t iconStrip(bool lit)
{
    const unsigned char litColors[5] = {9, 10, 11, 12, 14};
    record_t strip(sampleStrip_t::width, sampleStrip_t::height, sampleStrip_t::x, sampleStrip_t::y);
    for (uint32_t icon = 0; icon < 5; ++icon) {
        const unsigned char ink = lit ? litColors[icon] : 8;
        for (uint32_t row = 4; row < 36; ++row)
            for (uint32_t column = 4; column < 36; ++column) {
                const int dx = int(column) - 20, dy = int(row) - 20;
                bool on = false;
                switch (icon) {
                case 0: on = row < 7 || row > 32 || column < 7 || column > 32; break;
                case 1: on = dx * dx + dy * dy <= 15 * 15; break;
                case 2: on = (dx < 0 ? -dx : dx) + (dy < 0 ? -dy : dy) <= 15; break;
                case 3: on = (dx < 0 ? -dx : dx) <= 3 || (dy < 0 ? -dy : dy) <= 3; break;
                default: on = row >= 16 && row < 24; break;
                }
                if (on)
                    strip.at(icon * 40 + column, row) = ink;
            }
    }
    return strip;
}

// A diagonal sweep through the colour cube, centred on the screen.
record_t artworkSweep()
{
    record_t art(320, 200, 160, 100);
    for (uint32_t row = 0; row < art.height; ++row)
        for (uint32_t column = 0; column < art.width; ++column) {
            unsigned r = column * 6 / art.width, g = row * 6 / art.height;
            unsigned b = ((column + row) / 40) % 6;
            art.at(column, row) = static_cast<unsigned char>(16 + r * 36 + g * 6 + b);
        }
    return art;
}

// A small checkerboard in the grey ramp, top left.
record_t artworkLogo()
{
    record_t logo(64, 64, 16, 16);
    for (uint32_t row = 0; row < logo.height; ++row)
        for (uint32_t column = 0; column < logo.width; ++column)
            logo.at(column, row) = ((row / 8 + column / 8) % 2) ? 255 : 232;
    return logo;
}

} // namespace

std::vector<unsigned char> makeGzipMember(const char *name, uint32_t mtime,
                                          const unsigned char *data, size_t size)
{
    z_stream stream;
    memset(&stream, 0, sizeof stream);
    // Window bits 15 + 16: zlib writes the gzip framing itself.
    if (deflateInit2(&stream, 9, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) != Z_OK)
        throw std::runtime_error("deflateInit2 failed");
    gz_header header;
    memset(&header, 0, sizeof header);
    header.time = mtime;
    header.os = 3;
    header.name = reinterpret_cast<Bytef *>(const_cast<char *>(name));
    deflateSetHeader(&stream, &header);

    std::vector<unsigned char> member(deflateBound(&stream, uLong(size)) + strlen(name) + 32);
    stream.next_in = const_cast<Bytef *>(data);
    stream.avail_in = uInt(size);
    stream.next_out = member.data();
    stream.avail_out = uInt(member.size());
    int code = deflate(&stream, Z_FINISH);
    member.resize(stream.total_out);
    deflateEnd(&stream);
    if (code != Z_STREAM_END)
        throw std::runtime_error("deflate did not finish");
    return member;
}

std::vector<unsigned char> makeSampleBootCode()
{
    std::vector<unsigned char> code(1024);
    const char banner[] = "\xeb\x3c\x90" "DAWNBOOT";
    memcpy(code.data(), banner, sizeof banner - 1);
    for (size_t i = sizeof banner - 1; i < 510; ++i)
        code[i] = static_cast<unsigned char>((i * 37 + 11) & 0x7f);
    code[510] = 0x55;
    code[511] = 0xaa;
    for (size_t i = 512; i < code.size(); ++i)
        code[i] = static_cast<unsigned char>(0x90 ^ (i & 0x3f));
    return code;
}

std::vector<unsigned char> makeSampleLoader()
{
    std::vector<unsigned char> loader;
    const char text[] = "dawnmark sample loader: not a real boot loader\n";
    uint32_t state = 12345;
    for (int block = 0; block < 64; ++block) {
        loader.insert(loader.end(), text, text + sizeof text - 1);
        for (int i = 0; i < 200; ++i) {
            state = state * 1103515245u + 12345u;
            loader.push_back(static_cast<unsigned char>(state >> 24));
        }
    }
    return loader;
}

std::vector<unsigned char> makeSampleIconPack()
{
    return layOutPack({640, 480, 8}, samplePalette().data(),
                      {iconStrip(true).bytes(), artworkSweep().bytes(), artworkLogo().bytes(),
                       iconStrip(false).bytes()});
}

std::vector<unsigned char> layOutPack(const screenGeometry_t &screen, const unsigned char *palette,
                                      const std::vector<std::vector<unsigned char>> &records)
{
    if (records.size() < 2)
        throw std::invalid_argument("a pack holds a lit and an unlit strip");
    std::vector<packPicture_t> pictures;
    for (size_t i = 1; i + 1 < records.size(); ++i)
        pictures.push_back(readRecordHeader(records[i].data()));
    const packPlan_t plan = planPack(records.front().size(), pictures);
    std::vector<unsigned char> pack(size_t(plan.size));
    for (size_t k = 0; k < plan.entries.size(); ++k)
        writePackEntry(pack.data(), k, plan.entries[k]);
    writeScreenRecord(pack.data() + plan.entries[packScreenSlot].offset, screen);
    memcpy(pack.data() + plan.entries[packPaletteSlot].offset, palette, packPaletteSize);
    memcpy(pack.data() + plan.entries[packIconsSlot].offset, records.front().data(), records.front().size());
    for (size_t i = 1; i < records.size(); ++i) {
        const std::vector<unsigned char> &record = records[i];
        memcpy(pack.data() + plan.entries[packFirstImageSlot + i - 1].offset, record.data(), record.size());
    }
    return pack;
}

std::vector<unsigned char> makeSampleZbeos()
{
    std::vector<unsigned char> file = makeSampleBootCode();
    std::vector<unsigned char> loader = makeSampleLoader();
    std::vector<unsigned char> loaderMember =
        makeGzipMember("beos", sampleMtime, loader.data(), loader.size());
    std::vector<unsigned char> pack = makeSampleIconPack();
    std::vector<unsigned char> splashMember =
        makeGzipMember("images", sampleMtime, pack.data(), pack.size());
    file.insert(file.end(), loaderMember.begin(), loaderMember.end());
    file.insert(file.end(), splashMember.begin(), splashMember.end());
    return file;
}
