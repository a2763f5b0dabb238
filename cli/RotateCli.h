#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

// The whole of fennex-rotate after the process set-up: parses args (without
// the program name), checks the output folder and every input, runs the
// batch and returns the exit status. Results go to out; rejected inputs,
// usage errors and progress go to err. interrupt is raised (by a signal
// handler, or a test) to stop the batch as the window's Stop button does.
int RunRotateCli(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                 const std::atomic<bool>& interrupt, bool errIsTerminal = false);
