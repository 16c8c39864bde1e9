// Writing the artwork of an icon pack out as PNG files.
#pragma once

#include <string>
#include <vector>

#include "inspect/inspection.h"

/// The file name of a record's PNG: its directory slot and kind, as in
/// "slot02-icons.png", "slot04-image.png", "slot07-officons.png".
std::string extractedName(const directoryEntry_t &entry);

/// The name of the splash description extractImages writes beside the PNG files.
extern const char *const extractedDescriptionName;

/// A splash description of the extracted files in directory: a comment
/// with the command that rebuilds from there, the screen record's line
/// (when it is whole), the icon strip's place and one line per written
/// image at its position, in directory order. Run from the directory with
/// --full-palette against the same boot loader file, it rebuilds a splash
/// that looks the same; the icon strip and OffIcons come from that file.
std::string extractedDescription(const inspection_t &inspection, const std::string &directory);

/// The paths extractImages writes into directory, in the order it writes them.
std::vector<std::string> extractedPaths(const inspection_t &inspection, const std::string &directory);

/// Writes the icon strip, every image and the OffIcons image as indexed PNG
/// files with the pack's palette, then extractedDescription, into directory
/// (created with its parents when missing). Records too short for their pixels and empty ones are
/// skipped. Refuses to replace existing files unless overwrite; in that case
/// nothing is written at all. Returns a line for each file written or
/// record skipped. Throws dawnmarkError_t on failure.
std::vector<std::string> extractImages(const inspection_t &inspection, const std::string &directory,
                                       bool overwrite);
