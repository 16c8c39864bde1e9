// The square that distances between colours are made of.
#pragma once

/// v * v; exact for the differences of two colour components (|v| < 256)
/// and for sums of a few such squares.
constexpr unsigned squared(int v) { return unsigned(v * v); }
