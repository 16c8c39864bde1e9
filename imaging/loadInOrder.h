// Loading several image files at once, seen as if one after the other.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "base/secondThread.h"
#include "diagnostics/errors.h"
#include "decoders/decodeFile.h"
#include "imaging/loadedImage.h"
#include "imaging/smoothResize.h"

/// What loading one file gave: its image, or the reason it has none.
struct loadOutcome_t {
    std::optional<loadedImage_t> image;
    std::optional<dawnmarkError_t> error;
    std::string why; ///< with error: why the file gave no image (imageRefusal_t)
    /// With image: the size it was decoded in, before its planned zoom.
    uint32_t storedWidth = 0;
    uint32_t storedHeight = 0;
};

/// How a file is to be loaded: at no less than `least`, then zoomed.
struct plannedLoad_t {
    leastSize_t least;
    filteredZoom_t zoom;
};

/// Loads the files on this thread and `thread` (a lone file only on this
/// thread), and hands each outcome to
/// `use` in the order of the list, on this thread, just after writing the
/// traces of its loading ("loading <path>" and what loadImage traces). Ends
/// at the first outcome that `use` refuses by returning false, and returns
/// false: later files give neither traces nor outcomes, as if they were
/// never read. Any other exception of a load is thrown here, in its turn.
/// A file given a plan in `plans` (by its place in the list) is loaded and
/// zoomed as it says (loadImageZoomed), the zoom's lines among its loading's.
bool loadInOrder(const std::vector<std::string> &paths, const std::function<bool(size_t, loadOutcome_t *)> &use,
                 secondThread_t &thread, const std::vector<plannedLoad_t> &plans = {});
