#include <gtest/gtest.h>

#include "core/dpi.h"

TEST(Scale, KeepsFiguresAt96AndRoundsOthersToTheNearestPixel) {
    for (int v : {-300, -1, 0, 1, 13, 300})
        EXPECT_EQ(Scale(v, 96), v) << v;
    EXPECT_EQ(Scale(26, 144), 39);
    EXPECT_EQ(Scale(13, 144), 20) << "19.5 rounds up";
    EXPECT_EQ(Scale(-3, 144), -5) << "and a negative half away from zero";
    EXPECT_EQ(Scale(10, 120), 13);
    EXPECT_EQ(Scale(1000000000, 192), 2000000000) << "no overflow on the way";
    // No screen has no DPI: such a figure stays as it is.
    EXPECT_EQ(Scale(26, 0), 26);
    // A figure scaled to another DPI and back is the figure again.
    for (int v : {1, 7, 301})
        EXPECT_EQ(Rescale(Rescale(v, 96, 144), 144, 96), v) << v;
}
