#include "runFolder_support.h"

#include <filesystem>
#include <zlib.h>

#include "tools/sampleZbeos.h"

void RunFolder::SetUp()
{
    dir = makeScratchDirectory();
    const std::vector<unsigned char> sample = makeSampleZbeos();
    zbeosBytes.assign(sample.begin(), sample.end());
    earlierOutput = zbeosBytes + "existing";
    writeFile(path("zbeos"), zbeosBytes);
}

void RunFolder::copyExampleImages() const
{
    for (const char *name : {"background.png", "sun.png", "stripe.tga"})
        std::filesystem::copy_file(std::string(DAWNMARK_SOURCE_DIR "/examples/") + name, path(name));
}

ToolRun RunFolder::run(const std::string &description, std::vector<std::string> args, const RunHooks &hooks)
{
    writeFile(path("d"), description);
    args.push_back("d");
    return runTool(DAWNMARK_BIN, args, dir, hooks);
}

uint32_t crcOf(const std::string &bytes)
{
    return uint32_t(crc32(0, reinterpret_cast<const Bytef *>(bytes.data()), uInt(bytes.size())));
}
