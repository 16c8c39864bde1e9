#include <algorithm>
#include <cmath>
#include <cstdio>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "diagnostics/traceStep.h"
#include "driver/run.h"
#include "imaging/alphaCompose.h"
#include "imaging/loadInOrder.h"

namespace {

/// Hands a load's image over; false after reporting a refusal, under the
/// file's own name and with why when `path` is given.
bool takeImage(loadOutcome_t *outcome, std::vector<loadedImage_t> *images, const char *path = nullptr)
{
    if (outcome->error) {
        fflush(stdout);
        if (path != nullptr)
            dawnmarkError_t(path, outcome->why.c_str()).report();
        else
            outcome->error->report();
        return false;
    }
    images->push_back(std::move(*outcome->image));
    return true;
}

/// Zoomed up more than this many times, a picture shows its pixels as
/// blurs or blocks.
constexpr double kSoftZoom = 4;

/// How many times the entry's zoom enlarges a picture of width x height;
/// 1 without one.
double enlargement(const splashImage_t &entry, uint32_t width, uint32_t height)
{
    if (width == 0 || height == 0)
        return 1;
    const double across = double(entry.width) / width;
    const double down = double(entry.height) / height;
    switch (entry.modifier) {
    case MOD_COVERING:
        return std::max(across, down);
    case MOD_RESIZED:
    case MOD_WITHIN:
        return std::min(across, down);
    default:
        return 1;
    }
}

/// How many of a picture's pixels, along each side, a filtered zoom keeps
/// for each new one at least. The decoder's reduced scales work within its
/// 8 x 8 blocks, which leaves their edges and some aliasing for the filter
/// to blend away; on detailed photographs two left the screen up to 0.8 dB
/// from a zoom of the whole picture (blurred PSNR), three 0.1 dB.
constexpr uint64_t kDecodedPerNewPixel = 3;

/// How an entry's image is loaded: a filtered zoom is planned with the
/// load, at no less than the size it will be zoomed down to anyway; point
/// sampling takes the pixels as stored, and the load leaves it to the entry.
plannedLoad_t planOf(const splashImage_t &entry, bool smooth)
{
    plannedLoad_t plan;
    if (entry.modifier == MOD_COVERING) {
        plan.zoom.kind = filteredZoom_t::covering;
        plan.zoom.focus = {entry.focusX / 100.0, entry.focusY / 100.0};
    } else if (entry.modifier == MOD_WITHIN) {
        plan.zoom.kind = filteredZoom_t::within;
    } else if (smooth && entry.modifier == MOD_RESIZED) {
        plan.zoom.kind = filteredZoom_t::boundingBox;
    } else {
        return plan;
    }
    plan.zoom.width = entry.width;
    plan.zoom.height = entry.height;
    const auto enough = [](uint32_t side) {
        return uint32_t(std::min<uint64_t>(UINT32_MAX, side * kDecodedPerNewPixel));
    };
    plan.least = {enough(entry.width), enough(entry.height)};
    return plan;
}

/// Places a loaded image at its entry's place; a zoom within a box has
/// already moved it by where it lies in the box.
void place(loadedImage_t *image, const splashImage_t &entry)
{
    const int64_t inBoxX = image->x(), inBoxY = image->y();
    image->moveTo(entry.x, entry.y);
    image->placeAt(int32_t(std::min<int64_t>(INT32_MAX, image->x() + inBoxX)),
                   int32_t(std::min<int64_t>(INT32_MAX, image->y() + inBoxY)));
}

} // namespace

int runImagePhase(const splashDescription_t &description, const runSettings_t &settings,
                  std::vector<loadedImage_t> *images, std::vector<loadedImage_t> *iconStrips, secondThread_t *thread)
{
    const bool alpha = settings.render.alpha;
    const bool smooth = settings.smooth;
    // The strips are taken as they are: their size is checked against the
    // boot loader's own once that is read, and their place is the strip's.
    std::vector<std::string> paths;
    std::vector<plannedLoad_t> plans;
    for (const splashImage_t &entry : description.images()) {
        paths.push_back(entry.fileName);
        plans.push_back(planOf(entry, smooth));
    }
    if (description.ownIcons())
        paths.insert(paths.end(), {description.iconsLitFile(), description.iconsUnlitFile()});
    images->reserve(description.images().size());
    iconStrips->reserve(description.ownIcons() ? 2 : 0);
    const bool loaded = loadInOrder(paths, [&](size_t i, loadOutcome_t *outcome) {
        if (i >= description.images().size()) {
            if (!takeImage(outcome, iconStrips))
                return false;
            TRACE(0, "\n");
            return true;
        }
        const splashImage_t &entry = description.images()[i];
        // The quick form has no description whose error lines the user
        // knows: its photo's refusal says which file and why.
        if (!takeImage(outcome, images, settings.picture != nullptr ? entry.fileName.c_str() : nullptr))
            return false;
        loadedImage_t *image = &images->back();
        place(image, entry);
        const uint32_t storedWidth = outcome->storedWidth, storedHeight = outcome->storedHeight;
        const double zoom = enlargement(entry, storedWidth, storedHeight);
        // The filtered zooms were done with the load.
        if (entry.modifier == MOD_RESIZED && !smooth)
            image->resizeTo(entry.width, entry.height);
        else if (entry.modifier == MOD_CLIPPED)
            image->clipTo(entry.width, entry.height);
        image->clipToWorld(description.screen().width, description.screen().height);
        // The quick form's photo is the user's one picture: said plainly.
        if (zoom > kSoftZoom) {
            traceStep_t step;
            const bool whole = std::abs(zoom - std::round(zoom)) < 0.05;
            TRACE(settings.picture != nullptr ? 0 : 1, "%s is %u x %u, zoomed %.*f times: it will look soft\n",
                  entry.fileName.c_str(), storedWidth, storedHeight, whole ? 0 : 1, zoom);
        }
        // Without --alpha such a picture shows the colours hidden under its
        // transparent parts, often a surprise. The hint is only shown under
        // -v, so the default trace stays as it was; without -v the pixels
        // are not even looked at.
        if (!alpha && TRACE_shows(1) && hasTransparentPixels(*image)) {
            traceStep_t step;
            TRACE(1, "%s has transparent pixels: with --alpha they show what lies beneath them, "
                     "not their own colours\n",
                  entry.fileName.c_str());
        }
        TRACE(0, "\n");
        return true;
    }, *thread, plans);
    return loaded ? 0 : 1;
}
