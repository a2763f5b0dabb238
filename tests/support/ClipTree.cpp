#include "tests/support/ClipTree.h"

#include "tests/support/MediaFixtures.h"

#include <filesystem>
#include <sys/stat.h>

namespace fs = std::filesystem;

ClipTree MakeClipTree(const std::string& root)
{
    ClipTree tree;
    const std::string elsewhere = root + "-elsewhere";
    std::error_code error;
    for (const std::string& folder : {root + "/sub/deeper", root + "/.cache", elsewhere})
        fs::create_directories(folder, error);
    if (error) {
        tree.error = "cannot make folders: " + error.message();
        return tree;
    }
    // One Matroska and one MP4 clip, copied under the other names.
    const std::string mp4 = root + "/a.mp4";
    const std::string mkv = root + "/sub/b.mkv";
    if (std::string made = MakeMediaFile(mp4, {}); !made.empty()) {
        tree.error = made;
        return tree;
    }
    if (std::string made = MakeMediaFile(mkv, {}); !made.empty()) {
        tree.error = made;
        return tree;
    }
    for (const std::string& copy : {root + "/sub/deeper/d.MOV", root + "/.hidden.mp4",
                                    root + "/.cache/c.mp4", elsewhere + "/e.mp4"})
        fs::copy_file(mp4, copy, error);
    WriteBytes(root + "/fake.mp4", "not a video, only words\n");
    WriteBytes(root + "/notes.txt", "a shopping list\n");
    WriteBytes(root + "/photo.jpg", "\xff\xd8\xff\xe0 a picture, in name\n");
    if (::mkfifo((root + "/pipe.mp4").c_str(), 0644) != 0)
        tree.error = "cannot make the FIFO";
    fs::create_symlink("../a.mp4", root + "/sub/link.mp4", error);
    fs::create_directory_symlink(elsewhere, root + "/sub/outside", error);
    fs::create_directory_symlink("../..", root + "/sub/deeper/loop", error);
    if (error)
        tree.error = "cannot make links: " + error.message();
    tree.videos = {mp4, mkv, root + "/sub/deeper/d.MOV"};
    tree.refused = {root + "/fake.mp4"};
    return tree;
}
