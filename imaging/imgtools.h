// The image tools: the in-memory image record, loading, geometry, palette
// selection, composition and quantization.
#pragma once

#include <cstdint>
#include <memory>

/// Largest pixel buffer an image may have (1 GiB). Bigger ones, from a zoom
/// to an absurd box for instance, fail as an allocation failure.
constexpr uint64_t maxImageBytes = uint64_t(1) << 30;

/// An image in memory: 32-bit pixels in blue, green, red, fourth-byte order,
/// rows packed from top to bottom, placed at (x, y) on the screen.
/// The record owns its pixel buffer (array new).
struct loadedImage_t {
    uint32_t width;
    uint32_t height;
    int32_t x;
    int32_t y;
    uint8_t *pixels;

    /// Negative coordinates become 0.
    void moveTo(int x, int y);
    /// Crops to at most w x h, keeping the top-left corner.
    void clipTo(unsigned w, unsigned h);
    /// Zooms by point sampling so that the image just fits a w x h box.
    void resizeTo(unsigned w, unsigned h);
    /// Crops whatever extends past the right or bottom edge of a W x H screen.
    void clipToWorld(unsigned W, unsigned H);
};

/// Frees an image record made with new and its pixel buffer.
struct loadedImageRelease_t {
    void operator()(loadedImage_t *image) const
    {
        if (image != nullptr)
            delete[] image->pixels;
        delete image;
    }
};
/// An image record with a single owner.
using ownedImage_t = std::unique_ptr<loadedImage_t, loadedImageRelease_t>;

/// Up to 256 colours as three planes; entries from numColors on are zero.
struct palette_t {
    uint8_t red[256];
    uint8_t green[256];
    uint8_t blue[256];
    uint32_t numColors;
};

/// An axis-aligned box of RGB space with its statistics.
struct colorCube_t {
    uint8_t rMin, rMax;
    uint8_t gMin, gMax;
    uint8_t bMin, bMax;
    uint8_t rCanon, gCanon, bCanon;
    uint32_t hits;
    double share;
    double density;
    uint32_t rSum, gSum, bSum;
};

/// An image as one palette index per pixel. The caller owns the record and
/// its index buffer.
struct quantizedImage_t {
    palette_t palette;
    uint32_t width;
    uint32_t height;
    int32_t x;
    int32_t y;
    uint8_t *pixels;
};

/// Frees a quantized image made with new and its index buffer.
struct quantizedImageRelease_t {
    void operator()(quantizedImage_t *image) const
    {
        if (image != nullptr)
            delete[] image->pixels;
        delete image;
    }
};

/// Loads an image file of any supported format; throws imgtoolsError_t.
loadedImage_t *loadImage(const char *path);

/// Writes the source box's eight octants into destination[0..7].
void splitCube(colorCube_t *destination, colorCube_t *source);

/// Chooses at most maxColors colours for the image by colour-box subdivision.
palette_t *getOptimalPalette(loadedImage_t *image, unsigned maxColors);

/// Composes the images, later over earlier, on a black W x H canvas.
loadedImage_t *mixImages(loadedImage_t **images, unsigned count, unsigned W, unsigned H);

/// Squared Euclidean distance in RGB.
double distance(unsigned r1, unsigned g1, unsigned b1, unsigned r2, unsigned g2, unsigned b2);

/// Maps every pixel to its nearest palette entry, ties to the lowest index.
quantizedImage_t *quantizeImage(loadedImage_t *image, palette_t *palette);
