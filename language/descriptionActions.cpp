#include "language/descriptionActions.h"

#include <memory>

void startOfInput(splashDescription_t *description) { description->clearIconsAndImages(); }

void defineScreen(splashDescription_t *description, const screenLine_t &line)
{
    description->setScreen({(uint32_t)line.width, (uint32_t)line.height, (uint32_t)line.depth});
}

void defineIcons(splashDescription_t *description, const iconsLine_t &line)
{
    // The record keeps copies of its own; the scanner's texts go.
    const std::unique_ptr<char[]> lit(line.litFile), unlit(line.unlitFile);
    if (lit != nullptr)
        description->placeOwnIcons((uint32_t)line.at.x, (uint32_t)line.at.y, lit.get(),
                                    unlit != nullptr ? unlit.get() : "");
    else
        description->placeIcons((uint32_t)line.at.x, (uint32_t)line.at.y);
}

bool appendImage(splashDescription_t *description, const imageLine_t &line)
{
    const std::unique_ptr<char[]> text(line.fileName);
    return description->addImage({text.get(), line.at.x, line.at.y, (uint32_t)line.size.modifier,
                                  (uint32_t)line.size.width, (uint32_t)line.size.height,
                                  (uint32_t)line.size.focus.x, (uint32_t)line.size.focus.y});
}
