// Why a decoder refused a file, in a few words of its own ("PNG data ends
// early", "unsupported BMP compression 4"), kept for whoever asked for the
// decoding.
#pragma once

/// Records why the decoding under way fails. The first reason given counts:
/// it comes from the place that found the fault. Safe to call from a C
/// library's error callback: it neither allocates nor throws. Returns
/// false, so that a decoder can end with `return decodeFailed("...")`.
bool decodeFailed(const char *format, ...) __attribute__((format(printf, 1, 2)));

/// Forgets any earlier reason; called before each decoding.
void clearDecodeFailure();

/// The reason given since the last clear, or null when none was given.
const char *decodeFailure();
