// Image loading on arbitrary bytes: the roster picks the translator by
// content (PNG, JPEG, the stb formats, bitmap streams) and the loader
// unpacks the bitmap stream the translator made.
#include <cstdlib>

#include "diagnostics/errors.h"
#include "fuzzSupport.h"
#include "imaging/loadImage.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    quietTrace();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    memoryFile_t file(data, size);
    loadedImage_t *image;
    try {
        image = loadImage(file.Path());
    } catch (const imgtoolsError_t &failure) {
        if (failure.subject == nullptr || failure.reason == nullptr)
            abort();
        return 0;
    }
    if (image->width == 0 || image->pixels == nullptr || image->x != 0 || image->y != 0)
        abort();
    // Every pixel the record announces must be there to read.
    const size_t bytes = size_t(image->width) * image->height * 4;
    unsigned sum = 0;
    for (size_t i = 0; i < bytes; i += 4093)
        sum += image->pixels[i];
    if (bytes > 0)
        sum += image->pixels[bytes - 1];
    delete[] image->pixels;
    delete image;
    return int(sum & 0);
}
