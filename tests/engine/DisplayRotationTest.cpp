#include <gtest/gtest.h>

#include "engine/DisplayRotation.h"

extern "C" {
#include <libavutil/display.h>
}

TEST(DisplayRotation, AnglesAddUpClockwiseModulo360)
{
    struct Case {
        int from, add, expected;
    } cases[] = {{0, 90, 90},    {90, 90, 180},  {90, 270, 0},
                 {270, 180, 90}, {180, 270, 90}, {270, 270, 180}};
    for (const Case& c : cases) {
        const DisplayMatrix turned = TurnMatrix(RotationMatrix(c.from), c.add);
        EXPECT_EQ(MatrixRotationCw(turned), c.expected) << c.from << " + " << c.add;
        EXPECT_FALSE(MatrixIsMirror(turned));
    }
    // The phone's portrait matrix is a 90 degree clockwise turn.
    const DisplayMatrix portrait = {0, 65536, 0, -65536, 0, 0, 0, 0, 1 << 30};
    EXPECT_EQ(MatrixRotationCw(portrait), 90);
    EXPECT_EQ(RotationMatrix(90), portrait);
}

TEST(DisplayRotation, SingularMatrixCountsAsUnrotated)
{
    EXPECT_EQ(MatrixRotationCw(DisplayMatrix{}), 0);
}

TEST(DisplayRotation, MirrorStaysMirrorAndTurnsAfterItsOwnTransform)
{
    DisplayMatrix mirrored = RotationMatrix(0);
    av_display_matrix_flip(mirrored.data(), 1, 0);
    ASSERT_TRUE(MatrixIsMirror(mirrored));

    const DisplayMatrix turned = TurnMatrix(mirrored, 90);
    EXPECT_TRUE(MatrixIsMirror(turned));
    // diag(-1, 1, 1) * R(90): the first row of R(90) negated.
    DisplayMatrix expected = RotationMatrix(90);
    for (int k = 0; k < 3; ++k)
        expected[static_cast<std::size_t>(k)] = -expected[static_cast<std::size_t>(k)];
    EXPECT_EQ(turned, expected);
    // Turning a mirror all the way round gives the same mirror back.
    EXPECT_EQ(TurnMatrix(TurnMatrix(turned, 180), 90), mirrored);
}

TEST(DisplayRotation, RotateTagTextReadsLikeStrtol)
{
    EXPECT_EQ(RotateTagValue("90"), 90);
    EXPECT_EQ(RotateTagValue("-90"), -90);
    EXPECT_EQ(RotateTagValue("abc"), 0);
    EXPECT_EQ(RotateTagValue("270deg"), 270);
    EXPECT_EQ(ReduceDegrees(450), 90);
    EXPECT_EQ(ReduceDegrees(-90), 270);
    EXPECT_EQ(ReduceDegrees(360), 0);
}
