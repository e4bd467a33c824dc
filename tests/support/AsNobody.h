#pragma once
#include <functional>
#include <string>

namespace tolvex::test {

// Runs `work` in a child process as nobody (uid and gid 65534, no groups) and returns what it
// returned, or "could not become nobody". Needs root: callers skip when geteuid() != 0.
std::string runAsNobody(const std::function<std::string()>& work);

}  // namespace tolvex::test
