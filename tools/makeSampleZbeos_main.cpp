// make-sample-zbeos OUTPUT: writes the project's synthetic boot loader file.
#include <cstdio>
#include <exception>
#include <string>

#include "tools/sampleZbeos.h"

int main(int argc, char **argv)
{
    // An option is never taken for a file name: "--help" must not leave a
    // file called "--help" behind.
    if (argc != 2 || argv[1][0] == '-') {
        fprintf(stderr, "usage: make-sample-zbeos OUTPUT\n"
                        "Writes a synthetic boot loader file (boot code, a \"beos\" member and an\n"
                        "\"images\" member holding an icon pack) for trying Dawnmark out.\n");
        return argc == 2 && std::string(argv[1]) == "--help" ? 0 : 1;
    }
    try {
        std::vector<unsigned char> file = makeSampleZbeos();
        FILE *output = fopen(argv[1], "wb");
        if (output == nullptr) {
            perror(argv[1]);
            return 1;
        }
        bool written = fwrite(file.data(), 1, file.size(), output) == file.size();
        if (fclose(output) != 0 || !written) {
            perror(argv[1]);
            return 1;
        }
    } catch (const std::exception &error) {
        fprintf(stderr, "make-sample-zbeos: %s\n", error.what());
        return 1;
    }
    return 0;
}
