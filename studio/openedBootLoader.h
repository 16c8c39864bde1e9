// A boot loader file opened on the page: its artwork taken out into the
// folder as Dawnmark-inspect --extract takes it out, and the description
// of it to go on from.
#pragma once

#include <string>
#include <vector>

#include "studio/folderAccess.h"

/// What an opened boot loader file gives the page.
struct openedSplash_t {
    std::string description; ///< names the pictures by their place in the folder
    std::vector<std::string> pictures;
};

/// Keeps `bytes` as the file `name` of the folder (never over another file:
/// one with these very bytes is taken as it is) and extracts its artwork
/// into a new subfolder named after it. Throws dawnmarkError_t when the name
/// is refused or taken, or the file is no boot loader file the tool reads.
openedSplash_t openBootLoader(const studioFolder_t &folder, const std::string &name, const std::string &bytes);
