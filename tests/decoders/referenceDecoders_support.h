// Photo-format files made at test time by each format's own encoder from a
// crop of a Debian wallpaper (desktop-base; tools/setup.sh installs both).
#pragma once

#include "decoderChecks_support.h"

using command_t = std::vector<std::string>;

/// Whether the wallpaper and these programs of /usr/bin are there; missing
/// ones fail a run under CI=true, and the caller skips elsewhere.
bool referenceToolsPresent(const command_t &tools);

/// Runs /usr/bin/COMMAND[0] in the scratch directory, which holds photo.png
/// (96 x 64 of the wallpaper), photo-alpha.png (with an alpha ramp) and
/// photo16.png (16 bits a sample); the bytes of the file named last.
bytes_t madeBy(const command_t &command);

/// The file of each encoding decodes exactly as `reference` (FILE standing
/// for it) writes reference.png, and cut short is refused for `cutReason`.
void expectAsReference(const std::vector<command_t> &encodings, const command_t &reference,
                       const std::string &cutReason);
