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

// The application a process's control group names, as desktops start applications in their own
// units: "app[-<launcher>]-<id>-<random>.scope", "app[-<launcher>]-<id>[@<random>].service" (with
// "\x2d" standing for "-" in the id; both the launcher's and the id's place are given, since only
// the launcher knows which it filled) and "snap.<name>.<app>-<random>.scope" (the snap's name).
std::vector<std::string> cgroupApplications(std::string_view cgroupFile);

// What runs of the desktop's applications: the ids their control groups name (`cgroupApplications`
// of every `procRoot`/PID/cgroup), the Flatpak ids of the instances in `runtimeDir`/.flatpak/*/info,
// and the executables of every process we may inspect (`procRoot`/PID/exe). Sorted, without repeats.
std::vector<std::string> runningDesktopApplications(const std::string& procRoot = "/proc",
                                                    const std::string& runtimeDir = "");

}  // namespace tolvex
