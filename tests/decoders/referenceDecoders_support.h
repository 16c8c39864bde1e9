// Files of today's photo formats made at test time by each format's own
// encoder from a wallpaper of Debian's desktop-base, checked against the
// pixels the format's reference decoder makes of them.
#pragma once

#include <string>
#include <vector>

#include "decoderChecks_support.h"

/// Whether the wallpaper and these programs of /usr/bin are installed
/// (tools/setup.sh installs them). When they are not, a run under CI=true
/// fails; elsewhere the caller skips.
bool referenceToolsPresent(const std::vector<std::string> &tools);

/// The path of `name` in the scratch directory, where photo.png (a 96 x 64
/// crop of the wallpaper), photo-alpha.png (the same with an alpha ramp
/// from transparent to opaque) and photo16.png (16 bits a sample) are
/// written on first use.
std::string photoPath(const std::string &name);

/// Runs /usr/bin/COMMAND[0] with the rest as arguments, names taken as
/// photoPath(name) where a file of that name is meant; true on success.
bool runPhotoTool(std::vector<std::string> command);

/// photoPath(made) decodes exactly as `reference` writes photoPath("reference.png").
void expectAsReference(const std::string &made, const std::vector<std::string> &reference);
