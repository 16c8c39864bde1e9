// The reason of a syntax error, for the trace: what was found, what the
// parser would have taken there, and a hint for the common slips.
#pragma once

#include <string>
#include <vector>

#include "language/descriptionScanner.h"

/// "found X where Y was expected", followed by ": hint" for a slip it
/// recognises, for an error at the scanner's last token. `expected` holds the
/// grammar's names of the tokens the parser would have taken: a keyword as it
/// is written, anything else as a phrase with a blank in it. Reads on past
/// the token to look at what follows, so the scanner yields no token after.
std::string syntaxErrorReason(descriptionScanner_t *scanner, const std::vector<const char *> &expected);

/// The reason given when a description has more lines than the parser's
/// stack can hold.
extern const char *const stackFullReason;
