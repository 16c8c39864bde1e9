// Hand-built icon packs, boot loader files and scratch directories for the
// boot loader file tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

using bytes_t = std::vector<unsigned char>;

/// An image record: width, height, x, y, then width x height bytes of fill.
bytes_t imageRecord(uint32_t width, uint32_t height, uint32_t x, uint32_t y, uint8_t fill);

/// An icon pack laid out entry by entry: a zeroed directory of entryCount
/// entries, then each area appended behind the previous one.
struct packBuilder_t {
    explicit packBuilder_t(unsigned entryCount);
    /// Appends bytes and points entry k at them.
    packBuilder_t &Area(unsigned k, const bytes_t &area);
    /// Sets entry k to any length and offset, sane or not.
    packBuilder_t &Entry(unsigned k, uint32_t length, uint32_t offset);

    bytes_t bytes;
};

/// The palette of hand-built packs: entry i is (i, 255 - i, i / 2).
bytes_t testPalette();

/// A well-formed pack: screen, palette, a strip of 200 x 40 at (220, 420)
/// filled with 7, artworkCount images of 8 x 8, then OffIcons filled with 3.
bytes_t wellFormedPack(unsigned artworkCount = 1);

/// The parts of a boot loader file, joined in order. extraTail goes between
/// the splash deflate data and its trailer.
struct zbeosParts_t {
    zbeosParts_t();
    bytes_t Join() const;

    bytes_t bootCode;
    bytes_t loaderMember;
    bytes_t between;
    bytes_t splashMember;
    bytes_t extraTail;
};

/// A directory that exists for the life of the object.
class scratchDir_t {
public:
    scratchDir_t();
    ~scratchDir_t();
    std::string Path(const std::string &name) const { return path + "/" + name; }
    /// Names of the entries in the directory, sorted.
    std::vector<std::string> Entries() const;

    std::string path;
};

void writeFile(const std::string &path, const bytes_t &bytes);
bytes_t readFile(const std::string &path);

/// Collects the trace output of a block at the given verbosity, starting
/// from depth 0; the trace settings are restored afterwards.
class traceCapture_t {
public:
    explicit traceCapture_t(unsigned level = 9);
    ~traceCapture_t();
    /// What was traced since construction (call once).
    std::string Text();

private:
    unsigned savedLevel;
    unsigned savedDepth;
    bool capturing;
};
