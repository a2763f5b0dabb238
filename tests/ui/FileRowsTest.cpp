#include "ui/FileRows.h"

#include <gtest/gtest.h>

namespace {

ProbeFigures Lasting(std::int64_t duration_us)
{
    ProbeFigures facts;
    facts.duration_us = duration_us;
    return facts;
}

PositionOutcome Outcome(PositionOutcome::Kind kind)
{
    PositionOutcome outcome;
    outcome.kind = kind;
    return outcome;
}

}  // namespace

// A batch takes the ticked rows in list order, each with its own turn or
// the rotation group's, and knows them by id rather than by place.
TEST(FileRows, ABatchTakesTheTickedRowsWithTheirTurns)
{
    FileRows rows;
    rows.Insert(-1, "/v/b.mkv", Lasting(2'000'000));
    rows.Insert(0, "/v/a.mp4", Lasting(61'250'000));
    rows.Insert(99, "/v/c.mov", Lasting(0));
    rows.Insert(1, "/v/skipped.mp4", Lasting(1'000'000));
    rows.SetTicked(1, false);
    rows.SetTurn(2, 270);

    const BatchRows batch = rows.Ticked(90);
    ASSERT_EQ(batch.rows.size(), 3u);
    ASSERT_EQ(batch.turns, (std::vector<int>{90, 270, 90}));
    const char* const paths[] = {"/v/a.mp4", "/v/b.mkv", "/v/c.mov"};
    const char* const durations[] = {"00:01:01.250", "00:00:02.000", "00:00:00.000"};
    for (std::size_t k = 0; k < 3; ++k) {
        EXPECT_EQ(batch.rows[k].path, paths[k]) << k;
        EXPECT_EQ(batch.rows[k].durationText, durations[k]) << k;
        EXPECT_EQ(batch.rows[k].row, rows.At(k == 0 ? 0 : static_cast<int>(k) + 1).id) << k;
    }
    rows.SetTurn(2, std::nullopt);
    EXPECT_EQ(rows.Ticked(180).turns, (std::vector<int>{180, 180, 180}));
}

// Outcomes come back by id: rows removed or added while the batch ran
// neither take another row's outcome nor shift it; a done row is unticked,
// a failed one keeps its tick, a stopped or unreached one keeps what it had.
TEST(FileRows, OutcomesReachTheirRowsAfterRowsAreRemovedAndAdded)
{
    FileRows rows;
    for (const char* path : {"/v/1.mp4", "/v/2.mp4", "/v/3.mp4", "/v/4.mp4", "/v/5.mp4"})
        rows.Insert(rows.Count(), path, Lasting(1'000'000));
    rows.Settle(4, Outcome(PositionOutcome::kFailed));  // an earlier batch's outcome
    const BatchRows batch = rows.Ticked(90);

    rows.Remove(0);
    rows.Insert(0, "/v/new.mp4", Lasting(1'000'000));
    rows.Remove(2);  // 3.mp4
    const PositionOutcome::Kind kinds[] = {PositionOutcome::kDone, PositionOutcome::kDone,
                                           PositionOutcome::kFailed, PositionOutcome::kStopped,
                                           PositionOutcome::kNotReached};
    int settled = 0;
    for (std::size_t k = 0; k < batch.rows.size(); ++k)
        settled += rows.Settle(rows.IndexOf(batch.rows[k].row), Outcome(kinds[k])) ? 1 : 0;
    EXPECT_EQ(settled, 1);  // 1.mp4 and 3.mp4 are gone; 4 stopped, 5 not reached

    ASSERT_EQ(rows.Count(), 4);
    const char* const paths[] = {"/v/new.mp4", "/v/2.mp4", "/v/4.mp4", "/v/5.mp4"};
    const PositionOutcome::Kind shown[] = {PositionOutcome::kPending, PositionOutcome::kDone,
                                           PositionOutcome::kPending, PositionOutcome::kFailed};
    const bool ticked[] = {true, false, true, true};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(rows.At(i).path, paths[i]) << i;
        EXPECT_EQ(rows.At(i).outcome.kind, shown[i]) << i;
        EXPECT_EQ(rows.At(i).ticked, ticked[i]) << i;
    }
    EXPECT_EQ(rows.IndexOf(batch.rows[0].row), -1);
    EXPECT_FALSE(rows.Settle(-1, Outcome(PositionOutcome::kDone)));

    // Ids are never handed out twice.
    const int lastId = rows.At(0).id;  // the newest
    rows.Clear();
    rows.Insert(0, "/v/again.mp4", Lasting(1'000'000));
    EXPECT_GT(rows.At(0).id, lastId);
    EXPECT_EQ(rows.IndexOf(batch.rows[1].row), -1);
}
