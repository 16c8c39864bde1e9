#include "language/descriptionActions.h"

#include <algorithm>
#include <iterator>
#include <memory>

void startOfInput(splashDescription_t *description)
{
    description->iconsX = 0;
    description->iconsY = 0;
    description->ownIcons = false;
    description->iconsLitFile.clear();
    description->iconsUnlitFile.clear();
    description->imageCount = 0;
    std::fill(std::begin(description->images), std::end(description->images), splashImage_t());
}

void defineScreen(splashDescription_t *description, const screenLine_t &line)
{
    description->screenWidth = (uint32_t)line.width;
    description->screenHeight = (uint32_t)line.height;
    description->screenDepth = (uint32_t)line.depth;
}

void defineIcons(splashDescription_t *description, const iconsLine_t &line)
{
    // The record keeps copies of its own; the scanner's texts go.
    const std::unique_ptr<char[]> lit(line.litFile), unlit(line.unlitFile);
    description->iconsX = (uint32_t)line.at.x;
    description->iconsY = (uint32_t)line.at.y;
    description->ownIcons = lit != nullptr;
    description->iconsLitFile = lit != nullptr ? lit.get() : "";
    description->iconsUnlitFile = unlit != nullptr ? unlit.get() : "";
}

bool appendImage(splashDescription_t *description, const imageLine_t &line)
{
    const std::unique_ptr<char[]> text(line.fileName);
    if (description->imageCount >= MAX_SPLASH_IMAGES)
        return false;
    splashImage_t &entry = description->images[description->imageCount++];
    entry.fileName = text.get();
    entry.x = line.at.x;
    entry.y = line.at.y;
    entry.modifier = (uint32_t)line.size.modifier;
    entry.width = (uint32_t)line.size.width;
    entry.height = (uint32_t)line.size.height;
    entry.focusX = (uint32_t)line.size.focus.x;
    entry.focusY = (uint32_t)line.size.focus.y;
    return true;
}
