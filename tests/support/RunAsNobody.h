#pragma once
#include <functional>
#include <string>

namespace tolvex::test {

// Runs `work` in a child process as nobody (uid and gid 65534, no groups) and returns what it
// returned ("could not become nobody" when the switch failed). Needs root.
std::string runAsNobody(const std::function<std::string()>& work);

// True when nobody can reach `path` (every folder above it lets others through).
bool nobodyCanReach(const std::string& path);

}  // namespace tolvex::test
