// The JSON texts the studio answers with.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "studio/folderAccess.h"
#include "studio/openedBootLoader.h"
#include "studio/studioBoard.h"

/// `text` as a JSON string, quotes included.
std::string jsonString(const std::string &text);
/// A JSON array of the texts.
std::string jsonList(const std::vector<std::string> &texts);
/// A JSON object of the given members, each value JSON already.
std::string jsonObject(const std::vector<std::pair<std::string, std::string>> &members);

/// What the page starts with: the folder's pictures, the description to
/// edit (the folder's splash.txt, or one for the boot loader's own screen)
/// and the name Save writes.
std::string startAnswer(const studioFolder_t &folder, studioBoard_t &board);
/// A failed drawing or save: the tool's message and the line it names.
std::string failureAnswer(const boardOutcome_t &outcome);
/// Where the screen, the strip and each image lie in a drawing.
std::string boxesAnswer(const boardOutcome_t &outcome);
/// An opened boot loader file: the description of its artwork and the
/// pictures taken out.
std::string openedAnswer(const openedSplash_t &opened);
