#include "inspect/preview.h"

packPreview_t renderPreview(const inspection_t &inspection, bool lit)
{
    return renderPackPreview(inspection.pack.data(), inspection.pack.size(), lit, "preview");
}
