// make-sample-zbeos OUTPUT: writes the project's synthetic boot loader file.
#include <cstdio>
#include <exception>

#include "tools/sampleZbeos.h"

int main(int argc, char **argv)
{
    if (argc != 2) {
        fprintf(stderr, "usage: make-sample-zbeos OUTPUT\n");
        return 1;
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
