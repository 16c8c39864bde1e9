// The description scanner and parser on arbitrary bytes. Every input gets a
// parse of its own: whatever a failed parse allocated is freed by the parser,
// and the record frees its file names itself.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "language/parseDescription.h"
#include "language/splashDescription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // The stream needs writable storage even for reading.
    std::vector<char> text(data, data + size);
    text.push_back('\0');
    FILE *input = fmemopen(text.data(), size, "r");
    if (input == nullptr)
        abort();

    // Whatever the parse must set holds something else first.
    splashDescription_t description;
    description.placeOwnIcons(0xA5A5A5A5, 0xA5A5A5A5, "stale", "stale");
    while (description.addImage({"stale", int32_t(0xA5A5A5A5), int32_t(0xA5A5A5A5), 0xA5A5A5A5, 0xA5A5A5A5,
                                 0xA5A5A5A5, 0xA5A5A5A5, 0xA5A5A5A5}))
        ;
    description.setScreen({640, 480, 16});
    descriptionResult_t result = parseDescription(input, &description);
    fclose(input);

    switch (result.status) {
    case descriptionStatus_t::accepted:
    case descriptionStatus_t::imageTableFull:
        break;
    case descriptionStatus_t::syntaxError:
        // Lines are counted from 1 and at most once per byte.
        if (result.line < 1 || (size_t)result.line > size + 1)
            abort();
        break;
    case descriptionStatus_t::scannerFailed:
        abort(); // memory is read without fail
    }
    // A parse that fails at its first token may leave the record as it was
    // (no parse makes such a modifier).
    if (!description.images().empty() && description.images()[0].modifier == 0xA5A5A5A5) {
        if (result.status == descriptionStatus_t::accepted)
            abort();
        return 0;
    }
    for (const splashImage_t &image : description.images()) {
        // File names are text between quotes on one line.
        if (image.modifier > MOD_WITHIN ||
            image.fileName.find('\n') != std::string::npos)
            abort();
    }
    return 0;
}
