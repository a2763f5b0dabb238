#include "cli/ProgressLine.h"

ProgressLine::ProgressLine(std::ostream& stream, bool terminal)
    : m_stream(stream), m_terminal(terminal)
{}

void ProgressLine::Show(int position, int total, const std::string& name, int percent)
{
    if (percent < 0 || percent > 100)
        return;
    if (position != m_position) {
        m_position = position;
        m_lastPercent = -1;
    }
    if (percent == m_lastPercent)
        return;
    // Appended piece by piece: "[" + std::to_string(...) sets off a false
    // overlapping-copy warning of GCC 12 at -O3.
    std::string text = "[";
    text += std::to_string(position) + "/" + std::to_string(total) + "] ";
    text += std::to_string(percent) + "% " + name;
    if (m_terminal) {
        m_stream << "\r\033[K" << text << std::flush;
        m_drawn = true;
        m_lastPercent = percent;
        return;
    }
    // Log the first figure of a file and every quarter after it.
    if (m_lastPercent >= 0 && percent / 25 == m_lastPercent / 25)
        return;
    m_stream << text << '\n' << std::flush;
    m_lastPercent = percent;
}

void ProgressLine::Finish(int position, int total, const std::string& name)
{
    if (position == m_position && m_lastPercent >= 0 && m_lastPercent < 100) {
        // The quarter rule of a log must not swallow the last figure.
        if (!m_terminal)
            m_lastPercent = -1;
        Show(position, total, name, 100);
    }
}

void ProgressLine::Clear()
{
    if (m_terminal && m_drawn)
        m_stream << "\r\033[K" << std::flush;
    m_drawn = false;
}
