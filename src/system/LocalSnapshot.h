#pragma once
// Time Machine local snapshots of the startup disk: listed by "tmutil listlocalsnapshots /" and
// deleted one at a time by an administrator.
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Privileged.h"
#include "platform/Process.h"

namespace tolvex {

struct LocalSnapshot {
  std::string name;            // the full name as tmutil prints it, trimmed
  std::optional<double> date;  // read from the name (local time), seconds since 1970; none when absent

  bool operator==(const LocalSnapshot&) const = default;
};

inline constexpr const char* kTmutilPath = "/usr/bin/tmutil";
inline constexpr const char* kUnrecognisedSnapshotNameMessage = "Unrecognised snapshot name.";
inline constexpr const char* kCouldNotDeleteSnapshotMessage = "Couldn't delete the snapshot.";

// The snapshots tmutil lists, newest first. Empty when tmutil is missing (as on Linux), cannot be
// started, fails or times out. Blocking.
std::vector<LocalSnapshot> loadLocalSnapshots();
std::vector<LocalSnapshot> loadLocalSnapshots(const ProcessRunner& run);

// The snapshots in tmutil's output: every line that begins with "com.apple." once spaces and tabs
// are trimmed, dated from its fourth "."-separated piece; newest first.
std::vector<LocalSnapshot> parseLocalSnapshots(std::string_view text);

// Newest first; a snapshot without a date counts as the most distant past; stable.
void sortLocalSnapshots(std::vector<LocalSnapshot>& snapshots);

// The fourth "."-separated piece of a name (empty pieces dropped), where tmutil puts the date;
// none when there are fewer than four pieces.
std::optional<std::string> snapshotDateComponent(std::string_view name);

// A date part "yyyy-MM-dd-HHmmss" read in the Gregorian calendar and the local time zone, whatever
// the user's locale; none unless it is exactly that shape (ASCII digits) and names a real date.
std::optional<double> parseSnapshotDate(std::string_view datePart);

// The administrator script that deletes the snapshot of a date part. It describes the deletion; the
// program itself runs with an argument vector.
std::string localSnapshotDeletionScript(std::string_view datePart);

// Deletes a snapshot as administrator. None on success, else the message to show: "Unrecognised
// snapshot name." (nothing runs) when the date part is missing or holds anything but ASCII digits and
// "-"; "Cancelled." when the authentication dialog is dismissed; the failure's own text, or
// "Couldn't delete the snapshot." when there is none or nothing could be started. Blocking.
std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot);
std::optional<std::string> deleteLocalSnapshot(const LocalSnapshot& snapshot, const PrivilegedRunner& run);

}  // namespace tolvex

template <>
struct std::hash<tolvex::LocalSnapshot> {
  size_t operator()(const tolvex::LocalSnapshot& snapshot) const noexcept {
    const size_t name = std::hash<std::string>{}(snapshot.name);
    return snapshot.date ? name ^ (std::hash<double>{}(*snapshot.date) * 31) : name;
  }
};
