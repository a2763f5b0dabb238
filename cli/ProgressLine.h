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
    // Wipes a redrawn line so that the next line starts clean.
    void Clear();

private:
    std::ostream& m_stream;
    bool m_terminal;
    bool m_drawn = false;
    int m_position = -1;
    int m_lastPercent = -1;
};
