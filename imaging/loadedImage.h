// The image record: the one currency of the image tools, with the geometry
// operations that place and size it (geometry.cpp).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

/// An image in memory: 32-bit pixels in blue, green, red, fourth-byte order,
/// rows packed from top to bottom, placed at (x, y) on the screen.
/// The record owns its pixels, always width * height * 4 bytes: its size
/// and its pixels only ever change together.
class loadedImage_t {
public:
    /// An empty image at (0, 0).
    loadedImage_t() = default;
    /// Moved, never copied: a copy would be a second buffer as large as the
    /// picture.
    loadedImage_t(const loadedImage_t &) = delete;
    loadedImage_t &operator=(const loadedImage_t &) = delete;
    loadedImage_t(loadedImage_t &&) = default;
    loadedImage_t &operator=(loadedImage_t &&) = default;
    /// A width x height image of `pixels`, at (0, 0). A buffer of any other
    /// size than width * height * 4 bytes throws std::logic_error.
    loadedImage_t(uint32_t width, uint32_t height, std::vector<uint8_t> &&pixels, bool hasAlpha = false,
                  double overhangRight = 0, double overhangBottom = 0);

    uint32_t width() const { return width_; }
    uint32_t height() const { return height_; }
    int32_t x() const { return x_; }
    int32_t y() const { return y_; }
    const std::vector<uint8_t> &pixels() const { return pixels_; }
    /// The pixel bytes, for code that fills or edits them in place.
    uint8_t *writablePixels() { return pixels_.data(); }
    /// The fourth byte is opacity (the source was B_RGBA32); otherwise it
    /// means nothing and the image is opaque.
    bool hasAlpha() const { return hasAlpha_; }
    /// How much of the last column and of the last row lies beyond the
    /// picture's edge, 0 to 1, after a decode at a reduced scale: the
    /// filtered zooms take the picture's true extent, so that what they
    /// centre is the picture's centre. Every change of size drops it.
    double overhangRight() const { return overhangRight_; }
    double overhangBottom() const { return overhangBottom_; }

    /// Takes `pixels` as the image's, now width x height, in place of the
    /// old ones; the place stays. Sizes are checked as by the constructor.
    void replacePixels(uint32_t width, uint32_t height, std::vector<uint8_t> &&pixels);
    /// Places the top-left corner at (x, y), as it is.
    void placeAt(int32_t x, int32_t y)
    {
        x_ = x;
        y_ = y;
    }
    /// placeAt, negative coordinates becoming 0.
    void moveTo(int x, int y);
    /// Crops to at most w x h, keeping the top-left corner.
    void clipTo(unsigned w, unsigned h);
    /// Zooms by point sampling so that the image just fits a w x h box. A
    /// buffer beyond kMaxBitmapBytes fails as an allocation failure.
    void resizeTo(unsigned w, unsigned h);
    /// Crops whatever extends past the right or bottom edge of a W x H screen.
    void clipToWorld(unsigned W, unsigned H);

private:
    uint32_t width_ = 0;
    uint32_t height_ = 0;
    int32_t x_ = 0;
    int32_t y_ = 0;
    std::vector<uint8_t> pixels_;
    bool hasAlpha_ = false;
    double overhangRight_ = 0;
    double overhangBottom_ = 0;
};

/// Bytes of a packed width x height image; sizes beyond kMaxBitmapBytes fail
/// as an allocation failure rather than wrapping or exhausting the machine.
size_t bufferBytes(uint32_t width, uint32_t height);

/// How resizeTo zooms a width x height image into a w x h box: the factor,
/// and the new size, each side truncated.
struct boxFit_t {
    double scale;
    uint32_t width;
    uint32_t height;
};
/// An empty side sets no limit; at least one side must be non-empty.
boxFit_t fitIntoBox(uint32_t width, uint32_t height, unsigned w, unsigned h);
