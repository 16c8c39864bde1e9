// The boot screen of an inspected boot loader file.
#pragma once

#include "bootfile/packPreview.h"
#include "inspect/inspection.h"

/// The inspection's pack drawn by renderPackPreview. Throws dawnmarkError_t
/// (subject "preview") when the screen record is damaged, empty or larger
/// than previewMaxSide on a side.
packPreview_t renderPreview(const inspection_t &inspection, bool lit);
