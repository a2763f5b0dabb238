#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

// What a finished run of fennex-rotate printed and returned.
struct ProgramResult {
    int status = -1;  // exit status; -1 when it did not run or died of a signal
    std::string out;
    std::string err;
};

// Runs the built fennex-rotate with args, stdin from /dev/null.
ProgramResult RunRotate(const std::vector<std::string>& args);

// fennex-rotate running in the background, its stdout read line by line.
class RunningRotate
{
public:
    explicit RunningRotate(const std::vector<std::string>& args);
    ~RunningRotate();
    RunningRotate(const RunningRotate&) = delete;
    RunningRotate& operator=(const RunningRotate&) = delete;

    // Next line of stdout without its '\n'; false at the end of the output.
    bool ReadLine(std::string& line);
    void Signal(int signal) const;
    // Stops reading: the program's next write to stdout finds no reader.
    void CloseOutput();
    // Waits for the end; returns what Wait of ProgramResult would hold.
    ProgramResult Wait();

private:
    pid_t m_pid = -1;
    int m_outFd = -1;
    std::string m_errPath;
    std::string m_pending;
    std::string m_all;
};
