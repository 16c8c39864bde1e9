// The boot screen a description makes, drawn and saved by the same phases
// as a run of the tool, for a page that edits the description.
#pragma once

#include <cstdint>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "base/secondThread.h"
#include "imaging/renderOptions.h"
#include "studio/folderAccess.h"
#include "studio/openedBootLoader.h"

/// The switches of the page: the tool's long options.
struct boardOptions_t {
    renderOptions_t render;
    bool smooth = false;
};

/// A rectangle of the screen: where an image or the icon strip lies.
struct boardBox_t {
    int32_t x = 0;
    int32_t y = 0;
    uint32_t width = 0;
    uint32_t height = 0;
};

/// What one drawing or save gives: on success the PNG (a drawing) and the
/// places of the images and the strip; otherwise what the tool would have
/// printed, and for a syntax error its line.
struct boardOutcome_t {
    bool done = false;
    int32_t errorLine = 0; ///< a syntax error's line; 0 for other failures
    std::string message;   ///< the failure as the tool reports it, with -v's hint
    std::vector<uint8_t> png;
    boardBox_t screen;
    boardBox_t strip;
    std::vector<boardBox_t> images; ///< one per image entry, as fitted and cut to the screen
    std::string saved;              ///< a save: the file written, relative to the folder
};

/// The name of the boot loader file Save writes into the folder.
extern const char *const studioOutputName;

/// The boot loader file to start from and the folder whose pictures the
/// descriptions name. One drawing or save at a time: the phases share the
/// second thread and the trace.
class studioBoard_t {
public:
    studioBoard_t(std::string zbeosPath, const studioFolder_t &folder);

    /// The boot screen of `text` as the tool's --preview (or --preview-lit)
    /// draws it.
    boardOutcome_t Draw(const std::string &text, const boardOptions_t &options, bool lit);
    /// The new boot loader file of `text`, saved into the folder as the tool
    /// saves it, a replaced file kept as a backup.
    boardOutcome_t Save(const std::string &text, const boardOptions_t &options);

    /// A description of the boot loader's own screen and strip place, to
    /// start from; a comment with the reason when the file cannot be read.
    std::string StartingText();
    /// Whether the tool can load the picture at path.
    bool CanLoad(const std::string &path);
    /// openBootLoader, under the lock.
    openedSplash_t Open(const std::string &name, const std::string &bytes);

private:
    /// The phases of a run that writes `output`, then, when `lit` is given,
    /// the drawing of the pack saved.
    boardOutcome_t Build(const std::string &text, const boardOptions_t &options, const char *output,
                         std::optional<bool> lit);

    std::string zbeosPath;
    const studioFolder_t &folder;
    std::mutex busy;
    secondThread_t thread;
};
