#pragma once
// Running applications: processes whose executable lies inside a ".app" bundle.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tolvex {

// The innermost ".app" folder that holds `executablePath` ("/A/Foo.app/Contents/MacOS/Foo" ->
// "/A/Foo.app"). A " (deleted)" mark left by the kernel on a replaced executable is ignored.
std::optional<std::string> bundleOfExecutable(std::string_view executablePath);

// The bundle identifiers of running processes whose executable lies inside a bundle, read from
// `procRoot`/PID/exe; processes we may not inspect are left out. Sorted, without repeats.
std::vector<std::string> runningApplicationIdentifiers(const std::string& procRoot = "/proc");

}  // namespace tolvex
