#include "batch/FolderScan.h"
#include "tests/support/ClipTree.h"
#include "tests/support/TempFolder.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>

namespace {

std::vector<std::string> Paths(const std::vector<ScannedFile>& files)
{
    std::vector<std::string> paths;
    for (const ScannedFile& file : files)
        paths.push_back(file.path);
    return paths;
}

class FolderScanTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        tree = MakeClipTree(root);
        ASSERT_EQ(tree.error, "");
    }
    TempFolder temp{"scan"};
    std::string root = temp / "phone";
    ClipTree tree;
};

// Hidden names, links (to a file, out of the tree, round a loop), a FIFO,
// text and pictures: only the three videos are found, the text that calls
// itself .mp4 is refused with its reason, the rest is counted.
TEST_F(FolderScanTest, FindsTheVideosOfATreeAndNothingElse)
{
    std::vector<FolderScanProgress> seen;
    const FolderScanResult result =
        FolderScan().Scan(root, nullptr, [&](const FolderScanProgress& p) { seen.push_back(p); });

    EXPECT_EQ(Paths(result.videos), tree.videos);
    EXPECT_EQ(Paths(result.refused), tree.refused);
    ASSERT_EQ(result.refused.size(), 1u);
    EXPECT_EQ(result.refused[0].verdict.rejection, InputVerdict::kNotMedia);
    for (const ScannedFile& video : result.videos)
        EXPECT_GT(video.verdict.duration_s, 0) << video.path;
    EXPECT_EQ(result.skipped, tree.skipped);
    EXPECT_EQ(result.folders, tree.folders);
    EXPECT_FALSE(result.cancelled);
    EXPECT_EQ(result.rootError, 0);

    // One report before each of the four candidates, one at the end.
    ASSERT_EQ(seen.size(), 5u);
    EXPECT_EQ(seen[0].current, root + "/a.mp4");
    EXPECT_EQ(seen.back().checked, 4u);
    EXPECT_EQ(seen.back().videos, 3u);
    EXPECT_EQ(seen.back().refused, 1u);
    EXPECT_EQ(seen.back().skipped, tree.skipped);
    EXPECT_EQ(seen.back().current, "");

    // A trailing slash on the root changes nothing but the spelling.
    EXPECT_EQ(FolderScan().Scan(root + "/").videos.size(), 3u);
}

// A stop asked for while the second video is checked: the scan ends after
// it and keeps what it found.
TEST_F(FolderScanTest, ACancelKeepsWhatWasFound)
{
    std::atomic<bool> cancel{false};
    int checks = 0;
    const FolderScan scan([&](const std::string& path) {
        if (++checks == 3)
            cancel = true;
        return CheckInput(path);
    });
    const FolderScanResult result = scan.Scan(root, &cancel);
    EXPECT_TRUE(result.cancelled);
    EXPECT_EQ(checks, 3);
    EXPECT_EQ(Paths(result.videos), (std::vector<std::string>{tree.videos[0], tree.videos[1]}));
    EXPECT_EQ(Paths(result.refused), tree.refused);
}

TEST_F(FolderScanTest, ARootThatIsNoFolderIsSaid)
{
    EXPECT_EQ(FolderScan().Scan(root + "/missing").rootError, ENOENT);
    EXPECT_EQ(FolderScan().Scan(root + "/a.mp4").rootError, ENOTDIR);
    // The root may itself be a link: the user chose it.
    EXPECT_EQ(FolderScan().Scan(root + "/sub/outside").videos.size(), 1u);

    for (const auto& [name, video] :
         std::vector<std::pair<std::string, bool>>{{"clip.MP4", true},
                                                   {"a.b.mkv", true},
                                                   {"clip.mp4.txt", false},
                                                   {".mp4", false},
                                                   {"mp4", false},
                                                   {"clip.", false},
                                                   {"song.m4a", false}})
        EXPECT_EQ(FolderScan::HasVideoExtension(name), video) << name;
}

}  // namespace
