#include "language/descriptionActions.h"

#include <cstring>

void startOfInput(splashDescription_t *description)
{
    description->iconsX = 0;
    description->iconsY = 0;
    description->ownIcons = false;
    description->iconsLitFile = nullptr;
    description->iconsUnlitFile = nullptr;
    description->imageCount = 0;
    memset(description->images, 0, sizeof description->images);
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
    delete[] description->iconsLitFile;
    delete[] description->iconsUnlitFile;
    description->ownIcons = litFile != nullptr;
    description->iconsLitFile = litFile;
    description->iconsUnlitFile = unlitFile;
}

bool appendImage(splashDescription_t *description, char *fileName, const int32_t *slot)
{
    if (description->imageCount >= MAX_SPLASH_IMAGES) {
        delete[] fileName;
        return false;
    }
    splashImage_t &entry = description->images[description->imageCount++];
    entry.fileName = fileName;
    entry.x = slot[1];
    entry.y = slot[2];
    entry.modifier = (uint32_t)slot[3];
    entry.width = (uint32_t)slot[4];
    entry.height = (uint32_t)slot[5];
    return true;
}
