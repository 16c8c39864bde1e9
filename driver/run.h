// The run sequence of the tool: start-up, then the description, image and
// boot loader phases. Each phase reports its own failures and returns the
// exit status; the run ends in one place, with everything it made freed.
#pragma once

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "base/secondThread.h"
#include "bootfile/zbeos.h"
#include "imaging/loadedImage.h"
#include "imaging/renderOptions.h"
#include "language/splashDescription.h"

/// What the command line sets; the later phases only read it.
struct runSettings_t {
    const char *pathToZbeos = "/system/zbeos"; ///< boot loader file to read
    bool zbeosNamed = false;                   ///< -z was given
    const char *output = "./newZbeos";         ///< boot loader file to write
    const char *splashFile = nullptr;          ///< the splash description
    renderOptions_t render;                    ///< the long options
    const char *preview = nullptr;    ///< the new boot screen, icons unlit
    const char *previewLit = nullptr; ///< the new boot screen, icons lit
    bool backup = false; ///< keep the file the output replaces
    /// --picture: the photo of the quick form, which stands for a
    /// description of its own (splashFile stays null).
    const char *picture = nullptr;
    uint32_t screenWidth = 0;  ///< --screen: the quick form's screen; 0: the boot loader's
    uint32_t screenHeight = 0;
    bool fit = false;    ///< --fit: the quick form shows the whole photo, not the screen covered
    /// --focus: the point of the quick form's photo kept nearest the
    /// screen's centre, in percent; none: the photo's centre, unsaid.
    std::optional<std::pair<uint32_t, uint32_t>> focus;
    bool smooth = false; ///< --smooth: `resized to` filters instead of point sampling
};

/// One run of the tool. It owns everything the phases make for as long as
/// the run lasts: the description with its file names, the loaded images,
/// the boot loader file read, the splash saved, and the second thread the
/// phases hand work to.
class dawnmarkRun_t {
public:
    dawnmarkRun_t();
    dawnmarkRun_t(const dawnmarkRun_t &) = delete;
    dawnmarkRun_t &operator=(const dawnmarkRun_t &) = delete;

    /// The whole run; returns the exit status.
    int Run(int argc, char **argv);

private:
    /// The description from its file; the phase's status.
    int ReadDescription();
    /// The boot loader file, then the description the quick form stands
    /// for; the status of the first that fails.
    int ReadQuickForm();
    runSettings_t settings;
    splashDescription_t description;
    std::vector<loadedImage_t> images; ///< one per description entry
    std::vector<loadedImage_t> iconStrips; ///< lit and unlit, when the description names them
    std::vector<unsigned char> pack;  ///< the splash saved, inflated
    /// The boot loader file as read: before the description in the quick
    /// form, which takes its screen and strip place from it.
    std::optional<zbeos_t> bootLoader;
    /// Started once the command line is read; last, so that it ends first.
    std::optional<secondThread_t> secondThread;
};

/// The banner, always shown: an empty line, name and version, build stamp.
void printBanner();

/// Reads the options into settings. Returns nothing when the run goes on;
/// otherwise the status it ends with: 0 after the list of options that
/// --help asks for, 1 after the usage text for a bad command line.
std::optional<int> parseCommandLine(int argc, char **argv, runSettings_t *settings);

/// Writes the usage text on standard error; returns the status that goes
/// with it, 1.
int usage();

/// The screen a description without a screen line keeps.
void presetDescriptionScreen(splashDescription_t *description);

/// Parses the description on `input` into `description`, whose screen
/// fields are preset first. Returns 0 when it was accepted; otherwise the
/// failure is reported on standard error and its exit status returned (2 when
/// the description could not be read, 1 for anything it says wrong).
int runDescriptionPhase(FILE *input, splashDescription_t *description);

/// Reads the boot loader file into `zbeos`, traced as "loading PATH".
/// Returns 0, or 1 after reporting why it cannot be used.
int readBootloaderFile(const runSettings_t &settings, std::optional<zbeos_t> *zbeos);

/// The description that the quick form (--picture) stands for, made from
/// the options and the boot loader's own screen and strip place, traced
/// at -v as text to copy into a file, and parsed as runDescriptionPhase
/// parses a file. Returns runDescriptionPhase's status.
int runQuickFormPhase(const runSettings_t &settings, const zbeos_t &zbeos, splashDescription_t *description);

/// Refuses an output path that names the description or one of its images
/// (icon strips included), by any name or link: the save would replace it. Returns 0, or 1 after the
/// report. The input boot loader may be the output, since it is read whole
/// before the atomic save and kept (replacesInputBootLoader).
int refuseInputAsOutput(const runSettings_t &settings, const splashDescription_t &description);

/// Refuses an existing regular file at the output path unless it is empty
/// or holds both members of a boot loader file: anything else, a photo
/// say, would be replaced by a file it never was. Returns 0, or 1 after the
/// report.
int refuseForeignOutput(const runSettings_t &settings);

/// Whether the output path names the input boot loader file, by any name:
/// the only original, which the save then keeps as --backup does.
bool replacesInputBootLoader(const runSettings_t &settings);

/// Loads and fits every image the description names into images, one per
/// entry, then the icon strips it names, if any, into iconStrips, sharing
/// the loads with `thread`; with --smooth `resized to` filters; without
/// --alpha, hints under -v at images with transparent pixels. A picture
/// zoomed up so far that it will look soft is told under -v, and always in
/// the quick form. Returns 0, or 1 after reporting an image that cannot be
/// loaded: in the quick form under its own name and why, as
/// "Error: PHOTO -- unknown file format".
int runImagePhase(const splashDescription_t &description, const runSettings_t &settings,
                  std::vector<loadedImage_t> *images, std::vector<loadedImage_t> *iconStrips, secondThread_t *thread);

/// Renders the images for the boot loader file read (and the icon strips,
/// when there are any), replaces its splash with them and saves the
/// result, handing work to `thread`; the inflated splash goes into pack.
/// Returns 0, or 1 after reporting a failure.
int runBootloaderPhase(const runSettings_t &settings, const splashDescription_t &description,
                       const std::vector<loadedImage_t> &images, const std::vector<loadedImage_t> &iconStrips,
                       zbeos_t *zbeos, secondThread_t *thread, std::vector<unsigned char> *pack);

/// Refuses, before any work is done, a preview path that names a file the
/// run reads or writes (the boot loader files, the description, an image,
/// the other preview), something other than a regular file, or a file that
/// is not a preview this tool wrote. Returns 0, or 1 after reporting the
/// first such path.
int checkPreviewPaths(const runSettings_t &settings, const splashDescription_t &description);

/// Draws the boot screen of the saved pack for each preview asked for and
/// writes it as a PNG file, replacing one already there only once the new
/// one is complete. Returns 0, or 1 after reporting a failure.
int runPreviewPhase(const runSettings_t &settings, const std::vector<unsigned char> &pack);

/// One whole run on the stack; returns the exit status.
int runDawnmark(int argc, char **argv);
