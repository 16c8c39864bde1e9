#include <gtest/gtest.h>

#include "imaging/linearLight.h"

namespace {

// Every level survives the way into light and back; half the light of
// white is level 188 (187.5 rounded), not 128; beyond 0 to 1 the nearer end.
TEST(LinearLight, LevelsComeBackAndLightRoundsToTheNearestLevel)
{
    for (int level = 0; level < 256; ++level)
        EXPECT_EQ(levelOfLinear(linearOfLevels()[level]), level);
    const struct {
        float light;
        int level;
    } cases[] = {{0.5f, 188}, {0.2140f, 127}, {-0.25f, 0}, {1.5f, 255}};
    for (const auto &c : cases)
        EXPECT_EQ(levelOfLinear(c.light), c.level) << c.light;
}

} // namespace
