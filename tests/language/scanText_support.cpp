#include "scanText_support.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

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

void keepFileNames(const splashDescription_t &record)
{
    static std::vector<std::unique_ptr<char[]>> kept;
    for (uint32_t i = 0; i < record.imageCount && i < MAX_SPLASH_IMAGES; ++i)
        kept.emplace_back(record.images[i].fileName);
}

splashDescription_t parseText(const std::string &text)
{
    splashDescription_t record;
    memset(&record, 0x5a, sizeof record);
    record.screenWidth = 640;
    record.screenHeight = 480;
    record.screenDepth = 16;
    scanText(text);
    EXPECT_EQ(yyparse(&record), 0);
    keepFileNames(record);
    return record;
}
