#include <gtest/gtest.h>

#include "engine/DisplayRotation.h"
#include "engine/iso/IsoTrackMatrix.h"

// The matrix a turned track gets: the 2x2 part turned exactly, the
// translation put where QuickTime writers put it.

namespace {

constexpr std::int32_t kOne = 0x10000;   // 1.0 in 16.16
constexpr std::int32_t kW = 0x40000000;  // 1.0 in 2.30
constexpr std::uint32_t kWidth = 1920u << 16;
constexpr std::uint32_t kHeight = 1080u << 16;

const DisplayMatrix kUpright{kOne, 0, 0, 0, kOne, 0, 0, 0, kW};

}  // namespace

TEST(IsoTrackMatrixTest, QuarterTurnsOfAnUprightTrackMoveItBackToTheOrigin)
{
    const auto h = static_cast<std::int32_t>(kHeight), w = static_cast<std::int32_t>(kWidth);
    // As an iPhone writes a portrait clip, and as QuickTime turns further.
    EXPECT_EQ(TurnTrackMatrix(kUpright, 90, kWidth, kHeight),
              (DisplayMatrix{0, kOne, 0, -kOne, 0, 0, h, 0, kW}));
    EXPECT_EQ(TurnTrackMatrix(kUpright, 180, kWidth, kHeight),
              (DisplayMatrix{-kOne, 0, 0, 0, -kOne, 0, w, h, kW}));
    EXPECT_EQ(TurnTrackMatrix(kUpright, 270, kWidth, kHeight),
              (DisplayMatrix{0, -kOne, 0, kOne, 0, 0, 0, w, kW}));
    for (int degrees : {90, 180, 270})
        EXPECT_EQ(MatrixRotationCw(TurnTrackMatrix(kUpright, degrees, kWidth, kHeight)), degrees);
}

TEST(IsoTrackMatrixTest, NoTurnKeepsTheStoredMatrixWhateverItHolds)
{
    // Android leaves the translation out; an odd writer may put anything.
    const DisplayMatrix odd{0, kOne, 5, -kOne, 0, 7, 123, 456, kW / 2};
    EXPECT_EQ(TurnTrackMatrix(odd, 0, kWidth, kHeight), odd);
    EXPECT_EQ(TurnTrackMatrix(odd, 360, kWidth, kHeight), odd);
    EXPECT_EQ(TurnTrackMatrix(odd, 45, kWidth, kHeight), odd) << "only quarter turns turn";
}

TEST(IsoTrackMatrixTest, TurnsAddUpAndNegativeAnglesCountCounterClockwise)
{
    const DisplayMatrix mirror{0, kOne, 0, kOne, 0, 0, 0, 0, kW};
    for (const DisplayMatrix& start : {kUpright, mirror}) {
        for (int a : {0, 90, 180, 270}) {
            for (int b : {0, 90, 180, 270}) {
                const DisplayMatrix once = TurnTrackMatrix(start, a, kWidth, kHeight);
                EXPECT_EQ(TurnTrackMatrix(once, b, kWidth, kHeight),
                          TurnTrackMatrix(start, a + b, kWidth, kHeight))
                    << a << " then " << b;
            }
        }
    }
    EXPECT_EQ(TurnTrackMatrix(kUpright, -90, kWidth, kHeight),
              TurnTrackMatrix(kUpright, 270, kWidth, kHeight));
}

// The phone file of the platform notes: [0 1; 1 0] reads 90 and mirrors;
// turned 90 more it must be [-1 0; 0 1], which reads 180 and still mirrors.
TEST(IsoTrackMatrixTest, MirroredTrackStaysMirroredAndTurnsTheWayItIsSeen)
{
    const DisplayMatrix mirror{0, kOne, 0, kOne, 0, 0, 0, 0, kW};
    ASSERT_EQ(MatrixRotationCw(mirror), 90);
    const DisplayMatrix turned = TurnTrackMatrix(mirror, 90, kWidth, kHeight);
    EXPECT_EQ(turned,
              (DisplayMatrix{-kOne, 0, 0, 0, kOne, 0, static_cast<std::int32_t>(kWidth), 0, kW}));
    EXPECT_TRUE(MatrixIsMirror(turned));
    EXPECT_EQ(MatrixRotationCw(turned), 180);
}

TEST(IsoTrackMatrixTest, ScaleAndPerspectiveColumnAreKeptExactly)
{
    // Twice the size, with u and v set: the turn touches neither the scale
    // nor the last column, and the translation follows the scaled rectangle.
    const DisplayMatrix scaled{2 * kOne, 0, 3, 0, 2 * kOne, 4, 0, 0, kW};
    const DisplayMatrix turned = TurnTrackMatrix(scaled, 90, 100u << 16, 50u << 16);
    EXPECT_EQ(turned, (DisplayMatrix{0, 2 * kOne, 3, -2 * kOne, 0, 4, 100 << 16, 0, kW}));

    // A value whose negation does not fit in 32 bits does not overflow.
    const DisplayMatrix extreme{INT32_MIN, 0, 0, 0, INT32_MIN, 0, 0, 0, kW};
    const DisplayMatrix half = TurnTrackMatrix(extreme, 180, kWidth, kHeight);
    EXPECT_EQ(half[0], INT32_MIN);
    EXPECT_EQ(half[8], kW);
}

TEST(IsoTrackMatrixTest, MatrixBytesAreBigEndianInTrackHeaderOrder)
{
    const DisplayMatrix portrait{0, kOne, 0, -kOne, 0, 0, static_cast<std::int32_t>(kHeight),
                                 0, kW};
    const TrackMatrixBytes bytes = EncodeTrackMatrix(portrait);
    const TrackMatrixBytes expected{0,    0,    0, 0, 0, 1, 0, 0, 0,    0, 0, 0,
                                    0xff, 0xff, 0, 0, 0, 0, 0, 0, 0,    0, 0, 0,
                                    0x04, 0x38, 0, 0, 0, 0, 0, 0, 0x40, 0, 0, 0};
    EXPECT_EQ(bytes, expected);
    EXPECT_EQ(DecodeTrackMatrix(bytes.data()), portrait);
}
