// What both programs print under their name and version for --version.
#pragma once

/// The copyright, licence and warranty lines, each ending in a line end.
extern const char *const copyrightNotice;
