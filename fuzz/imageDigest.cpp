// image-digest FILE...: loads each file as Dawnmark loads an image and
// prints its size and a digest of every pixel byte, or the reason it was
// refused. tools/check-decoders.sh runs it twice, once under valgrind: the
// output must not change, and no byte of it may come from memory that was
// never written.
#include <cstdio>
#include <cstring>

#include "diagnostics/errors.h"
#include "diagnostics/traceMsg.h"
#include "imaging/loadImage.h"

int main(int argc, char **argv)
{
    // Level 1 brings the reason of each refusal into the output.
    trace_level = 2;
    for (int i = 1; i < argc; ++i) {
        const char *slash = std::strrchr(argv[i], '/');
        std::printf("%s\n", slash != nullptr ? slash + 1 : argv[i]);
        try {
            const loadedImage_t image = loadImage(argv[i]);
            uint64_t digest = 14695981039346656037ull; // FNV-1a
            for (size_t k = 0; k < size_t(image.width()) * image.height() * 4; ++k)
                digest = (digest ^ image.pixels()[k]) * 1099511628211ull;
            std::printf("  %ux%u pixels %016llx\n", image.width(), image.height(), (unsigned long long)digest);
        } catch (const dawnmarkError_t &failure) {
            std::printf("  refused: %s\n", failure.reason.value_or("(null)").c_str());
        }
    }
    return 0;
}
