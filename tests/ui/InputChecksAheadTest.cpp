#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

#include "tests/support/MediaFixtures.h"
#include "ui/InputChecksAhead.h"

namespace {

using Clock = std::chrono::steady_clock;

// Whatever the number of threads, the verdicts come in the list's order and
// are those CheckInput gives each path on its own, refusals included.
TEST(InputChecksAhead, VerdictsInTheListsOrderAsEachCheckAlone)
{
    TempFolder folder("checksahead");
    MediaRecipe small;
    small.width = 320;
    small.height = 180;
    small.seconds = 0.2;
    MediaRecipe wide = small;
    wide.width = 640;
    wide.audio_codec = "";
    const std::string clip = folder / "clip.mp4";
    const std::string other = folder / "other.mov";
    ASSERT_EQ(MakeMediaFile(clip, small), "");
    ASSERT_EQ(MakeMediaFile(other, wide), "");
    const std::string empty = folder / "empty.mp4";
    const std::string notes = folder / "notes.mp4";
    ASSERT_TRUE(WriteBytes(empty, ""));
    ASSERT_TRUE(WriteBytes(notes, "shopping list, not a video"));
    std::filesystem::create_directory(folder / "sub.mp4");
    const std::vector<std::string> paths = {clip,  folder / "missing.mp4", other, empty,
                                            notes, folder / "sub.mp4",     clip,  other};

    for (int threads : {1, 2, 3, 20}) {
        InputChecksAhead checks(paths, threads);
        ASSERT_EQ(checks.Count(), paths.size());
        for (std::size_t index = 0; index < paths.size(); ++index) {
            const std::optional<InputVerdict> verdict =
                checks.Take(index, Clock::now() + std::chrono::seconds(20));
            ASSERT_TRUE(verdict) << threads << " " << index;
            const InputVerdict alone = CheckInput(paths[index]);
            EXPECT_EQ(verdict->rejection, alone.rejection) << threads << " " << index;
            EXPECT_EQ(verdict->facts.width, alone.facts.width) << threads << " " << index;
            EXPECT_EQ(verdict->facts.duration_us, alone.facts.duration_us) << threads;
        }
        // Each verdict is taken once; past the end there is none.
        EXPECT_FALSE(checks.Take(0, Clock::now() + std::chrono::milliseconds(1)));
        EXPECT_FALSE(checks.Take(paths.size(), Clock::now() + std::chrono::seconds(20)));
    }
    EXPECT_EQ(CheckInput(clip).facts.width, 320);
    EXPECT_EQ(CheckInput(other).facts.width, 640);

    // Left with nothing taken, the checks stop and the threads end.
    std::vector<std::string> many(200, clip);
    InputChecksAhead({}, 2);
    InputChecksAhead(many, 2);
}

}  // namespace
