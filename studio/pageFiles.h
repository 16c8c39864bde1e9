// The page and its scripts, built into the program so that it needs
// nothing beside it and nothing from the network.
#pragma once

#include <string>

/// One file of the page.
struct pageFile_t {
    const char *name; ///< as the page asks for it, below /page/
    const char *type; ///< its Content-Type
    std::string text;
};

/// The file of that name, or null.
const pageFile_t *findPageFile(const std::string &name);

/// The page itself.
extern const pageFile_t &pageIndex;

/// A file's text with the run's token wherever it names another file: a
/// module script or a style sheet cannot send a header of its own when it
/// is fetched.
std::string withToken(const pageFile_t &file, const std::string &token);
