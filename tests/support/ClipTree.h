#pragma once

#include <string>
#include <vector>

// A phone-dump-like folder tree for the folder tests, made under root (an
// existing, empty folder) with a small clip copied under several names:
//   a.mp4                          video
//   fake.mp4                       text: refused, "not a media file"
//   notes.txt, photo.jpg           only counted
//   pipe.mp4                       a FIFO: counted, never opened
//   .hidden.mp4, .cache/c.mp4      hidden: not seen at all
//   sub/b.mkv                      video
//   sub/link.mp4 -> ../a.mp4       a link: counted, not followed
//   sub/outside -> elsewhere       a link to a folder (with a video) outside
//   sub/deeper/d.MOV               video (extension in capitals)
//   sub/deeper/loop -> ../..       a link round a loop
// elsewhere is a folder beside root (root + "-elsewhere").
struct ClipTree {
    std::vector<std::string> videos;   // in the order a scan finds them
    std::vector<std::string> refused;  // fake.mp4
    std::size_t skipped = 6;           // notes, photo, pipe, link.mp4, outside, loop
    std::size_t folders = 3;           // root, sub, sub/deeper
    std::string error;                 // empty when the tree was made
};

ClipTree MakeClipTree(const std::string& root);
