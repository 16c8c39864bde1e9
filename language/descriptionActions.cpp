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

void defineScreen(splashDescription_t *description, const int32_t *slot)
{
    description->screenWidth = (uint32_t)slot[0];
    description->screenHeight = (uint32_t)slot[1];
    description->screenDepth = (uint32_t)slot[2];
}

void defineIcons(splashDescription_t *description, char *litFile, char *unlitFile, const int32_t *slot)
{
    description->iconsX = (uint32_t)slot[0];
    description->iconsY = (uint32_t)slot[1];
    description->ownIcons = litFile != nullptr;
    description->iconsLitFile = litFile != nullptr ? litFile : "";
    description->iconsUnlitFile = unlitFile != nullptr ? unlitFile : "";
    delete[] litFile;
    delete[] unlitFile;
}

bool appendImage(splashDescription_t *description, char *fileName, const int32_t *slot)
{
    // The record keeps a copy of its own; the scanner's text goes.
    const std::unique_ptr<char[]> text(fileName);
    if (description->imageCount >= MAX_SPLASH_IMAGES)
        return false;
    splashImage_t &entry = description->images[description->imageCount++];
    entry.fileName = text.get();
    entry.x = slot[1];
    entry.y = slot[2];
    entry.modifier = (uint32_t)slot[3];
    entry.width = (uint32_t)slot[4];
    entry.height = (uint32_t)slot[5];
    entry.focusX = (uint32_t)slot[6];
    entry.focusY = (uint32_t)slot[7];
    return true;
}
