#include "studio/studioBoard.h"

#include <cstdio>
#include <optional>
#include <unistd.h>

#include "bootfile/packPreview.h"
#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "driver/run.h"
#include "imaging/loadImage.h"
#include "imaging/pngEncoder.h"
#include "language/parseDescription.h"

const char *const studioOutputName = "newZbeos";

namespace {

/// While alive, what is written on standard error goes into a file of its
/// own; Text() gives it back. The phases report their failures there, and
/// the page shows them in the same words.
class stderrKept_t {
public:
    stderrKept_t() : file(tmpfile()), saved(-1)
    {
        fflush(stderr);
        if (file != nullptr)
            saved = dup(STDERR_FILENO);
        if (saved >= 0)
            dup2(fileno(file), STDERR_FILENO);
    }
    ~stderrKept_t()
    {
        Restore();
        if (file != nullptr)
            fclose(file);
    }
    std::string Text()
    {
        Restore();
        std::string text;
        if (file == nullptr)
            return text;
        rewind(file);
        char buffer[4096];
        for (size_t count; (count = fread(buffer, 1, sizeof buffer, file)) > 0;)
            text.append(buffer, count);
        return text;
    }

private:
    void Restore()
    {
        if (saved < 0)
            return;
        fflush(stderr);
        dup2(saved, STDERR_FILENO);
        close(saved);
        saved = -1;
    }
    FILE *file;
    int saved;
};

/// Everything one run of the phases owns, freed in the run's order.
struct boardRun_t {
    splashDescription_t description{};
    std::vector<loadedImage_t> images;
    std::vector<loadedImage_t> iconStrips;
    std::optional<zbeos_t> bootLoader;
    std::vector<unsigned char> pack;
    ~boardRun_t()
    {
        images.clear();
        iconStrips.clear();
    }
};

/// Parses `text` as the description phase parses a file.
bool parseText(const std::string &text, splashDescription_t *description, boardOutcome_t *outcome)
{
    presetDescriptionScreen(description);
    FILE *input = fmemopen(const_cast<char *>(text.data()), text.size(), "r");
    // fmemopen refuses an empty buffer; an empty description is one anyway.
    if (input == nullptr)
        input = fopen("/dev/null", "r");
    if (input == nullptr) {
        outcome->message = "the description cannot be read\n";
        return false;
    }
    const descriptionResult_t result = parseDescription(input, description);
    fclose(input);
    if (result.status == descriptionStatus_t::accepted)
        return true;
    outcome->errorLine = result.status == descriptionStatus_t::syntaxError ? result.line : 0;
    outcome->message = descriptionFailureText(result);
    if (!result.reason.empty())
        outcome->message += result.reason + "\n";
    return false;
}

/// Makes each file name of the description the resolved path of a file in
/// the folder, so that nothing else is read; false after naming one that is not.
bool keepInFolder(const studioFolder_t &folder, splashDescription_t *description, boardOutcome_t *outcome)
{
    return description->rewriteFileNames([&](std::string &name) {
        const std::optional<std::string> resolved = folder.Resolve(name);
        if (!resolved) {
            outcome->message = "Error: " + name + " -- no such picture in " + folder.Path() + "\n";
            return false;
        }
        name = *resolved;
        return true;
    });
}

boardBox_t stripBox(const boardRun_t &run)
{
    // Where the boot loader file draws it, moved onto the screen; before
    // the file is read, where the description puts it.
    if (run.bootLoader) {
        const packPicture_t strip = run.bootLoader->IconPack().Strip();
        return {int32_t(strip.x), int32_t(strip.y), strip.width, strip.height};
    }
    boardBox_t box{int32_t(run.description.iconsX()), int32_t(run.description.iconsY()), 0, 0};
    if (!run.iconStrips.empty()) {
        box.width = run.iconStrips[0].width();
        box.height = run.iconStrips[0].height();
    }
    return box;
}

} // namespace

studioBoard_t::studioBoard_t(std::string zbeos, const studioFolder_t &folder)
    : zbeosPath(std::move(zbeos)), folder(folder)
{
}

std::string studioBoard_t::StartingText()
{
    const std::lock_guard<std::mutex> one(busy);
    std::string trace;
    const traceKept_t quiet(&trace, 0);
    try {
        const zbeos_t zbeos(zbeosPath.c_str());
        const screenGeometry_t &screen = zbeos.IconPack().Screen();
        const packPicture_t strip = zbeos.IconPack().Strip();
        char lines[100];
        snprintf(lines, sizeof lines, "screen %u %u %u\nicons at %u %u\n", screen.width, screen.height,
                 screen.depth, strip.x, strip.y);
        return lines;
    } catch (const dawnmarkError_t &error) {
        return "# " + zbeosPath + ": " + error.reason.value_or("cannot be read") + "\n";
    }
}

bool studioBoard_t::CanLoad(const std::string &path)
{
    // Under the lock, as the loads share the trace with the drawings.
    const std::lock_guard<std::mutex> one(busy);
    std::string trace;
    const traceKept_t quiet(&trace, 0);
    try {
        (void)loadImage(path.c_str());
        return true;
    } catch (const dawnmarkError_t &) {
        return false;
    }
}

openedSplash_t studioBoard_t::Open(const std::string &name, const std::string &bytes)
{
    const std::lock_guard<std::mutex> one(busy);
    std::string trace;
    const traceKept_t quiet(&trace, 0);
    return openBootLoader(folder, name, bytes);
}

boardOutcome_t studioBoard_t::Draw(const std::string &text, const boardOptions_t &options, bool lit)
{
    // A character device takes the file as it is written: the save's own
    // steps run, and the pack it returns is what is drawn.
    return Build(text, options, "/dev/null", lit);
}

boardOutcome_t studioBoard_t::Save(const std::string &text, const boardOptions_t &options)
{
    const std::string output = folder.Path() + "/" + studioOutputName;
    boardOutcome_t outcome = Build(text, options, output.c_str(), std::nullopt);
    if (outcome.done)
        outcome.saved = studioOutputName;
    return outcome;
}

boardOutcome_t studioBoard_t::Build(const std::string &text, const boardOptions_t &options, const char *output,
                                    std::optional<bool> lit)
{
    const std::lock_guard<std::mutex> one(busy);
    boardOutcome_t outcome;
    boardRun_t run;
    if (!parseText(text, &run.description, &outcome) || !keepInFolder(folder, &run.description, &outcome))
        return outcome;

    runSettings_t settings;
    settings.pathToZbeos = zbeosPath.c_str();
    settings.output = output;
    settings.render = options.render;
    settings.smooth = options.smooth;
    settings.backup = true;

    std::string trace;
    int status;
    {
        const traceKept_t quiet(&trace, 0);
        stderrKept_t failures;
        status = refuseInputAsOutput(settings, run.description);
        if (status == 0)
            status = refuseForeignOutput(settings);
        if (status == 0)
            status = runImagePhase(run.description, settings, &run.images, &run.iconStrips, &thread);
        if (status == 0)
            status = readBootloaderFile(settings, &run.bootLoader);
        if (status == 0)
            status = runBootloaderPhase(settings, run.description, run.images, run.iconStrips, &*run.bootLoader,
                                        &thread, &run.pack);
        outcome.message = failures.Text();
    }
    outcome.strip = stripBox(run);
    for (const loadedImage_t &image : run.images)
        outcome.images.push_back({image.x(), image.y(), image.width(), image.height()});
    outcome.done = status == 0 && !lit;
    if (status != 0 || !lit)
        return outcome;

    try {
        const packPreview_t screen = renderPackPreview(run.pack.data(), run.pack.size(), *lit, "preview");
        outcome.png = encodePreviewPng(screen.width, screen.height, screen.rgb.data(), true);
        outcome.screen = {0, 0, screen.width, screen.height};
    } catch (const dawnmarkError_t &error) {
        outcome.message = error.subject.value_or("preview") + " -- " + error.reason.value_or("") + "\n";
        return outcome;
    }
    outcome.done = true;
    return outcome;
}
