#include "inspect/preview.h"

#include "diagnostics/errors.h"
#include "inspect/inspectError.h"

packPreview_t renderPreview(const inspection_t &inspection, bool lit)
{
    try {
        return renderPackPreview(inspection.pack.data(), inspection.pack.size(), lit, "preview");
    } catch (const cagada_t &error) {
        throw inspectError_t{*error.subject, *error.reason};
    }
}
