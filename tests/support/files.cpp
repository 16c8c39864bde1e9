#include "support/files.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

void writeFile(const std::string &path, const void *data, size_t size)
{
    FILE *file = std::fopen(path.c_str(), "wb");
    if (file == nullptr)
        throw std::runtime_error("cannot write " + path);
    const bool written = size == 0 || std::fwrite(data, 1, size, file) == size;
    if (std::fclose(file) != 0 || !written)
        throw std::runtime_error("cannot write " + path);
}

void writeFile(const std::string &path, const bytes_t &bytes) { writeFile(path, bytes.data(), bytes.size()); }

void writeFile(const std::string &path, const std::string &content)
{
    writeFile(path, content.data(), content.size());
}

std::string readFile(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

bytes_t readBytes(const std::string &path)
{
    const std::string content = readFile(path);
    return bytes_t(content.begin(), content.end());
}
