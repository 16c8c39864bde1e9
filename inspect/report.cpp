#include "inspect/report.h"

#include <ctime>

#include "base/formatText.h"

namespace {

// Operating systems of the gzip header (RFC 1952).
const char *osName(unsigned os)
{
    static const char *const names[] = {"FAT",     "Amiga",   "VMS",      "Unix",       "VM/CMS",
                                        "Atari TOS", "HPFS",  "Macintosh", "Z-System",  "CP/M",
                                        "TOPS-20", "NTFS",    "QDOS",     "Acorn RISCOS"};
    if (os < sizeof names / sizeof names[0])
        return names[os];
    return os == 255 ? "unknown" : "not defined";
}

const char *xflName(unsigned xfl)
{
    switch (xfl) {
    case 0:
        return "no flags";
    case 2:
        return "maximum compression";
    case 4:
        return "fastest compression";
    default:
        return "not defined";
    }
}

std::string mtimeText(uint32_t mtime)
{
    if (mtime == 0)
        return "0 (no time stamp)";
    const time_t seconds = time_t(mtime);
    struct tm utc;
    char date[32] = "";
    if (gmtime_r(&seconds, &utc) != nullptr)
        strftime(date, sizeof date, "%Y-%m-%d %H:%M:%S UTC", &utc);
    return formatText("%u (%s)", unsigned(mtime), date);
}

std::string sectionsText(const zbeosSections_t &layout)
{
    const uint64_t offsets[] = {0, layout.loaderOffset, layout.splashOffset, layout.size};
    const char *const names[] = {"first   boot code          ", "second  loader, compressed ",
                                 "third   splash, compressed "};
    std::string text = "Sections (offsets in the file)\n";
    for (unsigned i = 0; i < 3; ++i)
        text += formatText("  %s offset %8llu  size %8llu bytes\n", names[i],
                           static_cast<unsigned long long>(offsets[i]),
                           static_cast<unsigned long long>(offsets[i + 1] - offsets[i]));
    return text;
}

std::string headerText(const unsigned char *header)
{
    const uint32_t mtime = uint32_t(header[4]) | uint32_t(header[5]) << 8 |
                           uint32_t(header[6]) << 16 | uint32_t(header[7]) << 24;
    return "Splash member header\n" + formatText("  name    %s\n", reinterpret_cast<const char *>(header + 10)) +
           formatText("  MTIME   %s\n", mtimeText(mtime).c_str()) +
           formatText("  XFL     %u (%s)\n", unsigned(header[8]), xflName(header[8])) +
           formatText("  OS      %u (%s)\n", unsigned(header[9]), osName(header[9]));
}

// The member's check under title ("Loader trailer").
std::string memberCheckText(const char *title, const memberCheck_t &check)
{
    std::string text = formatText("%s\n", title);
    if (!check.complete)
        return text + formatText("  DAMAGED: the member %s\n", check.failure.c_str());
    if (check.CrcMatches())
        text += formatText("  CRC-32  0x%08x  matches the inflated data\n", unsigned(check.storedCrc));
    else
        text += formatText("  CRC-32  0x%08x  DOES NOT MATCH the inflated data (0x%08x)\n",
                           unsigned(check.storedCrc), unsigned(check.inflatedCrc));
    if (check.LengthMatches())
        text += formatText("  length  %-10u  matches the inflated data\n", unsigned(check.storedLength));
    else
        text += formatText("  length  %-10u  DOES NOT MATCH the inflated data (%llu bytes)\n",
                           unsigned(check.storedLength), static_cast<unsigned long long>(check.inflatedLength));
    return text;
}

std::string paletteText(const inspection_t &inspection)
{
    unsigned inUse = 0;
    for (bool used : paletteEntriesInUse(inspection))
        inUse += used;
    return formatText("Palette: %u of 256 entries in use (referenced by a pixel of the icon strip "
                      "or of an image)\n",
                      inUse);
}

std::string directoryText(const inspection_t &inspection)
{
    std::string text = formatText("Directory: %zu entries (offsets in the inflated splash)\n",
                                  inspection.directory.size());
    text += "  slot  kind           offset     length  image\n";
    for (const directoryEntry_t &entry : inspection.directory) {
        text += formatText("  %4u  %-11s %9llu  %9llu", unsigned(entry.slot), kindName(entry.kind),
                           static_cast<unsigned long long>(entry.offset),
                           static_cast<unsigned long long>(entry.length));
        const packRecord_t &record = entry.record;
        if (entry.isRecord)
            text += formatText("  %u x %u at (%u, %u)%s", unsigned(record.width), unsigned(record.height),
                               unsigned(record.x), unsigned(record.y),
                               record.pixels == nullptr ? ", DAMAGED: area too short" : "");
        text += "\n";
    }
    return text;
}

} // namespace

std::string formatReport(const inspection_t &inspection)
{
    std::string text = formatText("Boot loader file %s, %llu bytes\n\n", inspection.path.c_str(),
                                  static_cast<unsigned long long>(inspection.layout.size));
    text += sectionsText(inspection.layout) + "\n";
    text += memberCheckText("Loader trailer", inspection.loader) + "\n";
    text += headerText(inspection.splashHeader) + "\n";
    text += memberCheckText("Splash trailer", inspection.splash) + "\n";
    if (inspection.hasScreen)
        text += formatText("Screen record: %u x %u, depth %u\n", unsigned(inspection.screen.width),
                           unsigned(inspection.screen.height), unsigned(inspection.screen.depth));
    else
        text += "Screen record: DAMAGED (missing or shorter than 12 bytes)\n";
    text += paletteText(inspection) + "\n";
    text += directoryText(inspection);
    return text;
}
