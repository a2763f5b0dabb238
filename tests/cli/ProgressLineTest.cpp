#include "cli/ProgressLine.h"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

TEST(ProgressLine, LogsQuartersAndIgnoresFiguresOutOfRange)
{
    std::ostringstream log;
    ProgressLine line(log, false);
    for (int percent : {INT_MIN, -3, 0, 5, 24, 25, 30, 60, 99, 100, 100, 250})
        line.Show(2, 3, "a.mp4", percent);
    EXPECT_EQ(
        log.str(),
        "[2/3] 0% a.mp4\n[2/3] 25% a.mp4\n[2/3] 60% a.mp4\n[2/3] 99% a.mp4\n[2/3] 100% a.mp4\n");

    log.str("");
    line.Show(3, 3, "b.mp4", 40);  // a new file starts its own log
    EXPECT_EQ(log.str(), "[3/3] 40% b.mp4\n");
}

TEST(ProgressLine, ADoneFileWhoseProgressShowedEndsAt100)
{
    for (const bool terminal : {false, true}) {
        std::ostringstream out;
        ProgressLine line(out, terminal);
        line.Finish(1, 2, "quick.mp4");  // too quick for any figure: none
        line.Show(2, 2, "b.mp4", 60);
        line.Finish(2, 2, "b.mp4");
        line.Finish(2, 2, "b.mp4");
        EXPECT_EQ(out.str(), terminal ? "\r\033[K[2/2] 60% b.mp4\r\033[K[2/2] 100% b.mp4"
                                      : "[2/2] 60% b.mp4\n[2/2] 100% b.mp4\n");
    }
}

TEST(ProgressLine, RedrawsOneLineOnATerminal)
{
    std::ostringstream term;
    ProgressLine line(term, true);
    line.Show(1, 1, "a", 10);
    line.Show(1, 1, "a", 10);
    line.Show(1, 1, "a", 11);
    line.Clear();
    line.Clear();
    EXPECT_EQ(term.str(), "\r\033[K[1/1] 10% a\r\033[K[1/1] 11% a\r\033[K");
}
