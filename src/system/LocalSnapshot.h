#pragma once
// Local snapshots of the startup disk, listed from the tools that keep them and deleted one at a
// time by an administrator: Time Machine's (tmutil, on a Mac), snapper's ("<config>:<number>") and
// Timeshift's in rsync mode (folders named "YYYY-MM-DD_HH-MM-SS"). Each tool's name form is exact and
// tells which tool a snapshot belongs to; nothing but a name of that form reaches a tool.
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
  std::string name;            // the full name as its tool gives it, trimmed
  std::optional<double> date;  // when it was taken (local time), seconds since 1970; none when unknown

  bool operator==(const LocalSnapshot&) const = default;
};

inline constexpr const char* kTmutilPath = "/usr/bin/tmutil";
inline constexpr const char* kSnapperPath = "/usr/bin/snapper";
inline constexpr const char* kTimeshiftPath = "/usr/bin/timeshift";
inline constexpr const char* kUnrecognisedSnapshotNameMessage = "Unrecognised snapshot name.";
inline constexpr const char* kCouldNotDeleteSnapshotMessage = "Couldn't delete the snapshot.";

// Where the snapshots are looked for. Listing never asks for a password: what the user may not list
// is left out.
struct SnapshotSources {
  ProcessRunner run;  // runs tmutil and snapper (tests: a fake); none: neither runs
  std::string root;   // the folder that stands for "/" where Timeshift keeps its folders (empty: "/")

  // This computer: the tools run for real (each listing given a minute at most), "/" itself.
  static SnapshotSources standard();
};

// Every tool's snapshots, newest first. Blocking.
std::vector<LocalSnapshot> loadLocalSnapshots();
std::vector<LocalSnapshot> loadLocalSnapshots(const SnapshotSources& sources);

// The snapshots tmutil lists. Empty when tmutil is missing (as on Linux), cannot be started, fails or
// times out.
std::vector<LocalSnapshot> loadTmutilSnapshots(const ProcessRunner& run);

// The snapshots of every snapper configuration the user may list ("snapper --jsonout list-configs",
// then "snapper --jsonout -c <config> list" for each). A configuration that refuses the user (its
// ALLOW_USERS and ALLOW_GROUPS leave them out) or fails gives none.
std::vector<LocalSnapshot> loadSnapperSnapshots(const ProcessRunner& run);

// The configuration names in snapper's JSON list of configurations that are safe to hand back to it.
std::vector<std::string> parseSnapperConfigs(std::string_view json);

// The snapshots in snapper's JSON listing (configuration name → its snapshots), named
// "<config>:<number>" and dated from "date" (local time); number 0, the live system, is not one.
std::vector<LocalSnapshot> parseSnapperSnapshots(std::string_view json);

// Timeshift's rsync-mode snapshots: the folders of <root>/timeshift/snapshots whose names are dates
// "YYYY-MM-DD_HH-MM-SS". Empty when that folder is absent or cannot be read.
std::vector<LocalSnapshot> listTimeshiftSnapshots(const std::string& root);

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

// The date of a Timeshift snapshot name, "YYYY-MM-DD_HH-MM-SS" exactly, in local time; none for
// anything else.
std::optional<double> parseTimeshiftSnapshotName(std::string_view name);

// A snapper snapshot name split into its configuration and number: "<config>:<number>" exactly,
// the configuration a safe name (letters, digits, "_", "-", ".", "@", "+", not beginning with "-" or
// ".") and the number 1 to 999999999 without leading zeros; none for anything else.
struct SnapperSnapshotName {
  std::string config;
  std::string number;
};
std::optional<SnapperSnapshotName> parseSnapperSnapshotName(std::string_view name);

// The administrator script that deletes the snapshot of a date part. It describes the deletion; the
// program itself runs with an argument vector.
std::string localSnapshotDeletionScript(std::string_view datePart);

// Deletes a snapshot as administrator, through the tool its name's form names: "snapper -c <config>
// delete <number>", "timeshift --delete --snapshot <name> --scripted", or "tmutil
// deletelocalsnapshots <date part>". None on success, else the message to show: "Unrecognised
// snapshot name." (nothing runs) for a name of none of these forms (a tmutil name whose date part
// is not a real date included); "Cancelled." when the authentication dialog is dismissed; the
// failure's own text, or "Couldn't delete the snapshot." when there is none or nothing could be
// started. Blocking.
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
