#include <gtest/gtest.h>

#include "support/scratch.h"
#include "platform/File.h"

namespace {

TEST(File, ReadsWhatIsThereAndFailsQuietlyOtherwise)
{
    const std::string path = writeScratchFile("plain.txt", {'h', 'e', 'l', 'l', 'o'});
    BFile file(path.c_str(), B_READ_ONLY);
    EXPECT_EQ(file.InitCheck(), B_OK);
    char buffer[8];
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 5);
    EXPECT_EQ(file.Read(buffer, sizeof buffer), 0);

    BFile missing((scratchDirectory() + "/missing").c_str(), B_READ_ONLY);
    EXPECT_NE(missing.InitCheck(), B_OK);
    EXPECT_LT(missing.Read(buffer, sizeof buffer), 0);
}

} // namespace
