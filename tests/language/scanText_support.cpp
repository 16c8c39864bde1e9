#include "scanText_support.h"

#include "language/splashDescription.h"

FILE *scanText(const std::string &text)
{
    static FILE *current = nullptr;
    if (current != nullptr)
        fclose(current);
    current = tmpfile();
    fwrite(text.data(), 1, text.size(), current);
    rewind(current);
    restartScanner(current);
    return current;
}
