// A new splash must inflate into the boot loader's 1 MiB buffer: a larger
// one would give a file that cannot boot, so it is refused before writing.
#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "bootfile/zbeos.h"
#include "bootfile/zbeosLayout.h"
#include "diagnostics/errors.h"
#include "packBuilder_support.h"
#include "tools/sampleZbeos.h"

namespace {

TEST(SplashLimit, PackBeyondTheBootLoadersBufferIsRefusedBeforeWriting)
{
    scratchDir_t scratch;
    writeFile(scratch.Path("zbeos"), makeSampleZbeos());
    writeFile(scratch.Path("out"), bytes_t{'o', 'l', 'd'});
    zbeos_t zbeos(scratch.Path("zbeos").c_str());

    // Four screens of pixels, one byte each in the pack: more than 1 MiB.
    std::vector<std::unique_ptr<uint8_t[]>> buffers;
    std::vector<loadedImage_t> images(4);
    for (loadedImage_t &image : images) {
        buffers.emplace_back(new uint8_t[640 * 480 * 4]());
        image = {640, 480, 0, 0, buffers.back().get()};
        zbeos.AddImage(&image);
    }
    const std::string out = scratch.Path("out");
    try {
        zbeos.Save(out.c_str());
        FAIL() << "a splash of four screens was written";
    } catch (const cagada_t &error) {
        EXPECT_STREQ(error.subject, out.c_str());
        EXPECT_STREQ(error.reason, "new splash is larger than 1048576 bytes");
    }
    EXPECT_EQ(readBytes(out), (bytes_t{'o', 'l', 'd'}));
    EXPECT_EQ(scratch.Entries(), (std::vector<std::string>{"out", "zbeos"}));
}

} // namespace
