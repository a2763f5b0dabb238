#pragma once

#include <ostream>
#include <string>

// Progress of the file in work. On a terminal one line is redrawn in place;
// elsewhere (a log, a pipe) a line is written at each quarter so that logs
// stay short.
class ProgressLine
{
public:
    ProgressLine(std::ostream& stream, bool terminal);

    // position counts from 1 up to total; percent outside 0..100 is ignored.
    void Show(int position, int total, const std::string& name, int percent);
    // A file is done: a file whose progress was shown ends at 100, also
    // where the last poll came too late to see it. A file too quick for
    // any figure stays without one.
    void Finish(int position, int total, const std::string& name);
    // Wipes a redrawn line so that the next line starts clean.
    void Clear();

private:
    std::ostream& m_stream;
    bool m_terminal;
    bool m_drawn = false;
    int m_position = -1;
    int m_lastPercent = -1;
};
