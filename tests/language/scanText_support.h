// Feeds a text to the description scanner, which reads from a FILE.
#pragma once

#include <cstdio>
#include <string>

#include "language/splashDescription.h"

/// Makes `text` the scanner's whole input, line counter at 1. The returned
/// file stays open until the next call.
FILE *scanText(const std::string &text);

/// Takes over the file names of a parsed record, which the tool keeps until
/// the process ends, so that they stay reachable after the record is gone.
void keepFileNames(const splashDescription_t &record);

/// Parses `text` into a record whose fields are first filled with a marker
/// (screen presets 640 x 480 x 16), so that what the parser clears and what it
/// keeps both show. Expects the whole text to be accepted.
splashDescription_t parseText(const std::string &text);
