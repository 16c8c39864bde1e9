// What the boot screen is made of and allows, as the pictures, the boot
// loader file, the description and the command line all obey it. The icon
// pack's own layout (bootfile/packFormat.h) is built on these.
#pragma once

#include <cstdint>

/// Entries of the boot screen's palette, three bytes each: red, green, blue.
constexpr unsigned kPaletteEntries = 256;
constexpr unsigned kPaletteBytes = 3 * kPaletteEntries;

/// How many palette entries the boot loader keeps for itself, in front of
/// the chosen colours.
constexpr unsigned kKeptColors = 16;

/// How many colours a splash may choose. They follow the kept entries; the
/// entries after them are never referred to by a pixel.
constexpr unsigned kSplashColors = 224;
static_assert(kKeptColors + kSplashColors <= kPaletteEntries, "the chosen colours fit the palette");

/// The most images one splash holds: the entries of a description and the
/// image slots of the boot loader's icon pack.
constexpr unsigned kMaxSplashImages = 64;

/// The longest side a screen may have and a picture may be zoomed to: far
/// beyond any screen, and low enough that a zoom's sizes and positions stay
/// well within 32-bit arithmetic.
constexpr uint32_t kLongestSide = 32767;

/// A screen's size and colour depth, as the icon pack's screen record holds them.
struct screenGeometry_t {
    uint32_t width;
    uint32_t height;
    uint32_t depth;
};

/// The screen of a description without a screen line.
constexpr screenGeometry_t kDefaultScreen = {640, 480, 16};
