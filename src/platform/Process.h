#pragma once
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

struct ProcessResult {
  int exitStatus = -1;  // the exit status, or -1 when the program did not exit normally
  std::string output;   // everything it wrote to its standard output
};

// Runs a program with an argument vector (never a shell): argv[0] is looked up in PATH unless it
// holds a "/". Its standard error is discarded. Blocks until the program ends. None when it could
// not be started.
std::optional<ProcessResult> runProcess(const std::vector<std::string>& argv);

}  // namespace tolvex
