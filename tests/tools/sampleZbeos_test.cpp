#include "support/files.h"
#include "support/scratch.h"
#include "support/traceCapture.h"
#include "tools/sampleZbeos.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "bootfile/littleEndian.h"
#include "bootfile/zbeos.h"
#include "bootfile/zbeosSections.h"
#include "diagnostics/traceMsg.h"

namespace {

// What gzip itself unpacks from a member, or an empty result when it finds
// fault with it.
bytes_t gunzipped(const std::string &directory, const bytes_t &member)
{
    const std::string path = directory + "/member.gz";
    writeFile(path, member);
    bytes_t out;
    if (system(("gzip -t " + path).c_str()) == 0 &&
        system(("gzip -dc " + path + " > " + path + ".out").c_str()) == 0)
        out = readBytes(path + ".out");
    remove((path + ".out").c_str());
    remove(path.c_str());
    return out;
}

class SampleZbeos : public testing::Test {
protected:
    void SetUp() override
    {
        directory = makeScratchDirectory();
        file = directory + "/zbeos";
        sample = makeSampleZbeos();
        writeFile(file, sample);
    }
    void TearDown() override
    {
        remove(file.c_str());
        remove(directory.c_str());
    }

    std::string directory;
    std::string file;
    bytes_t sample;
};

TEST_F(SampleZbeos, IsTheSameOnEveryRun) { EXPECT_EQ(makeSampleZbeos(), sample); }

TEST_F(SampleZbeos, MembersAreRealGzip)
{
    const uint32_t savedLevel = trace_level;
    trace_level = 0;
    const size_t splashAt = dissectZbeos(sample.data(), sample.size(), file.c_str()).splashOffset;
    trace_level = savedLevel;
    const size_t loaderAt = makeSampleBootCode().size();
    EXPECT_EQ(bytes_t(sample.begin(), sample.begin() + loaderAt), makeSampleBootCode());
    EXPECT_EQ(gunzipped(directory, bytes_t(sample.begin() + loaderAt, sample.begin() + splashAt)),
              makeSampleLoader());
    EXPECT_EQ(gunzipped(directory, bytes_t(sample.begin() + splashAt, sample.end())),
              makeSampleIconPack());
    for (size_t at : {loaderAt, splashAt})
        EXPECT_EQ(getLE32(&sample[at + 4]), sampleMtime);
}

TEST_F(SampleZbeos, PackHoldsArtworkAndOffIcons)
{
    std::unique_ptr<zbeos_t> loaded;
    const std::string trace = traceOf(9, [&] { loaded.reset(new zbeos_t(file.c_str())); });
    const zbeos_t &zbeos = *loaded;

    EXPECT_NE(trace.find("first  section 1024 bytes\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("found 3 images\n"), std::string::npos) << trace;
    EXPECT_NE(trace.find("OffIcons at slot 6\n"), std::string::npos) << trace;

    const zbeosIconPack_t &pack = zbeos.IconPack();
    const uint32_t header[4] = {sampleStrip_t::width, sampleStrip_t::height, sampleStrip_t::x,
                                sampleStrip_t::y};
    for (unsigned i = 0; i < 4; ++i)
        EXPECT_EQ(getLE32(&pack.Icons()[4 * i]), header[i]);
    EXPECT_EQ(pack.Icons().size(), 16u + 200 * 40);
    EXPECT_NE(pack.Icons(), pack.OffIcons());
    // Black first, white sixteenth, like a system palette.
    EXPECT_EQ(bytes_t(pack.Palette(), pack.Palette() + 3), (bytes_t{0, 0, 0}));
    EXPECT_EQ(bytes_t(pack.Palette() + 45, pack.Palette() + 48), (bytes_t{255, 255, 255}));
}

} // namespace
