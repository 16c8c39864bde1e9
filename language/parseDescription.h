// One parse of a splash description: the entry point for the driver, the
// tests and the fuzzer.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

#include "language/splashDescription.h"

/// How a parse ended.
enum class descriptionStatus_t {
    accepted,       ///< the whole input was read; the record is complete
    syntaxError,    ///< a token no production allows, or the parser stack is full
    imageTableFull, ///< an image definition beyond kMaxSplashImages
    scannerFailed,  ///< the input could not be read or a buffer not allocated
};

/// The outcome of parseDescription().
struct descriptionResult_t {
    descriptionStatus_t status = descriptionStatus_t::accepted;
    int32_t line = 0;              ///< syntaxError: line of the token where it was found
    const char *message = nullptr; ///< scannerFailed: the scanner's text
    std::string reason;            ///< syntaxError: what was found there and what was expected, for the trace
};

/// Parses the description read from `input` into `description`, whose screen
/// fields the caller presets. After a failed parse the record keeps the
/// entries it got before the failure; everything the parse allocated is
/// freed before it returns. Nothing is printed.
descriptionResult_t parseDescription(FILE *input, splashDescription_t *description);

/// What the tool prints on standard error for a failed parse, line ends
/// included; empty for an accepted one.
std::string descriptionFailureText(const descriptionResult_t &result);
