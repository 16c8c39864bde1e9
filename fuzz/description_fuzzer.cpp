// The description scanner and parser on arbitrary bytes. A failed parse ends
// the process in the tool; here the failure hook throws instead, so that the
// next input starts from a fresh scanner.
//
// Ending the process is also how the tool frees what a failed parse leaves
// (file names already scanned, the parser's grown stack). Here every block
// allocated during a parse is noted, and whatever is still allocated once
// the parse and the scanner are done with is released, so that a long run
// does not grow without bound and real leaks stay visible.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <sanitizer/allocator_interface.h>
#include <vector>

#include "language/descriptionFailure.h"
#include "language/splashDescription.h"

int yylex_destroy();

// Array new and delete on malloc, so that the blocks left over can all be
// released alike with free.
void *operator new[](size_t size)
{
    if (void *block = malloc(size == 0 ? 1 : size))
        return block;
    throw std::bad_alloc();
}
void operator delete[](void *block) noexcept { free(block); }
void operator delete[](void *block, size_t) noexcept { free(block); }

namespace {

struct descriptionFailed_t {
    int status;
};

[[noreturn]] void throwFailure(int status) { throw descriptionFailed_t{status}; }

constexpr size_t maxNoted = 1 << 20;
const volatile void *noted[maxNoted];
size_t notedCount = 0;
bool noting = false;

void noteAllocation(const volatile void *block, size_t)
{
    if (noting && notedCount < maxNoted)
        noted[notedCount++] = block;
}

void noteRelease(const volatile void *) {}

void releaseLeftovers()
{
    noting = false;
    for (size_t i = 0; i < notedCount; ++i) {
        void *block = const_cast<void *>(noted[i]);
        // Owned means still allocated; a block freed and noted again at the
        // same address is released once.
        if (__sanitizer_get_ownership(block))
            free(block);
    }
    notedCount = 0;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    setDescriptionFailureHook(throwFailure);
    __sanitizer_install_malloc_and_free_hooks(noteAllocation, noteRelease);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The stream needs writable storage even for reading.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    FILE *input = fmemopen(text.data(), size, "r");
    if (input == nullptr)
        abort();

    splashDescription_t description;
    memset(&description, 0xA5, sizeof description);
    description.screenWidth = 640;
    description.screenHeight = 480;
    description.screenDepth = 16;
    int status = 0;
    noting = true;
    restartScanner(input);
    try {
        if (yyparse(&description) != 0)
            abort(); // a parse that returns has accepted its input
    } catch (const descriptionFailed_t &failure) {
        status = failure.status;
    }
    noting = false;

    if (status != 0 && status != 1 && status != 2)
        abort();
    if (status == 0) {
        if (description.imageCount > MAX_SPLASH_IMAGES)
            abort();
        for (uint32_t i = 0; i < description.imageCount; ++i) {
            const splashImage_t &image = description.images[i];
            // File names are text between quotes on one line.
            if (image.fileName == nullptr || image.modifier > MOD_CLIPPED ||
                strchr(image.fileName, '\n') != nullptr)
                abort();
        }
    }
    yylex_destroy();
    fclose(input);
    releaseLeftovers();
    return 0;
}
