#include "studio/pageFiles.h"

#include <vector>

#include "studio/pageTexts.h"

namespace {

const std::vector<pageFile_t> &pageFiles()
{
    static const std::vector<pageFile_t> files = {
        {"studio.js", "text/javascript; charset=utf-8", pageText_studio_js},
        {"descriptionLines.js", "text/javascript; charset=utf-8", pageText_descriptionLines_js},
        {"screenBoard.js", "text/javascript; charset=utf-8", pageText_screenBoard_js},
        {"studio.css", "text/css; charset=utf-8", pageText_studio_css},
        {"icon.svg", "image/svg+xml", pageText_icon_svg},
        {"index.html", "text/html; charset=utf-8", pageText_index_html},
    };
    return files;
}

} // namespace

const pageFile_t *findPageFile(const std::string &name)
{
    for (const pageFile_t &file : pageFiles())
        if (name == file.name)
            return &file;
    return nullptr;
}

const pageFile_t &pageIndex = *findPageFile("index.html");

std::string withToken(const pageFile_t &file, const std::string &token)
{
    std::string page = file.text;
    const std::string mark = "TOKEN";
    for (size_t at; (at = page.find(mark)) != std::string::npos;)
        page.replace(at, mark.size(), token);
    return page;
}
