// Files of today's photo formats made at test time by each format's own
// encoder from a crop of a Debian wallpaper (desktop-base), checked against
// what the format's reference decoder makes of them.
#pragma once

#include <string>
#include <vector>

#include "decoderChecks_support.h"

using command_t = std::vector<std::string>;

/// Whether the wallpaper and these programs of /usr/bin (tools/setup.sh
/// installs them) are there; when not, a run under CI=true fails and others
/// skip.
bool referenceToolsPresent(const command_t &tools);

/// Runs /usr/bin/COMMAND[0] in the scratch directory, where photo.png (a
/// 96 x 64 crop of the wallpaper), photo-alpha.png (the same with an alpha
/// ramp) and photo16.png (16 bits a sample) are written first; gives the
/// bytes of the file the command makes, named last.
bytes_t madeBy(const command_t &command);

/// The file each encoding makes decodes exactly as `reference` writes it to
/// reference.png, FILE in it standing for the file.
void expectAsReference(const std::vector<command_t> &encodings, const command_t &reference);
