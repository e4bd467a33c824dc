#pragma once
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

struct ProcessOptions {
  // How long the program may run, in seconds; none: as long as it takes. When the time is up the
  // program and everything it started is killed and the result says so.
  std::optional<double> timeoutSeconds;
  // Bytes of standard error kept; the rest is read and dropped, so a chatty program never blocks.
  size_t errorOutputLimit = 64 * 1024;
};

struct ProcessResult {
  int exitStatus = -1;      // the exit status, or -1 when the program did not exit normally
  // Both outputs are UTF-8 text: each byte that is not part of a well-formed sequence is U+FFFD.
  std::string output;       // everything it wrote to its standard output
  std::string errorOutput;  // the first `errorOutputLimit` bytes it wrote to its standard error
  bool timedOut = false;    // it was killed because it ran past the timeout
};

// Runs a program with an argument vector (never a shell): argv[0] is looked up in PATH unless it
// holds a "/". Both of its outputs are read as they come. Blocks until the program ends or the
// timeout passes. None when it could not be started (a missing program included).
std::optional<ProcessResult> runProcess(const std::vector<std::string>& argv, const ProcessOptions& options = {});

// The runner as a value, so the code that runs system programs can be handed a fake in tests.
using ProcessRunner = std::function<std::optional<ProcessResult>(const std::vector<std::string>& argv)>;

}  // namespace tolvex
