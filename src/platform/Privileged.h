#pragma once
// Steps that need an administrator: each program runs through pkexec with an argument vector (never
// a shell string), so the system's own authentication dialog asks for the password.
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

struct PrivilegedResult {
  enum class Status {
    succeeded,   // the program ran and exited with 0
    cancelled,   // the user dismissed the authentication dialog
    failed,      // the program (or pkexec) ran and reported a failure
    notStarted,  // nothing ran: the program or pkexec is missing or could not be started
  };
  Status status = Status::notStarted;
  std::string message;  // for a failure, what was written to standard error (trimmed); may be empty
};

// The message a step ends with: none on success, "Cancelled." when the dialog was dismissed, the
// failure's own text, else `fallback` (also when nothing could be started: never a success).
std::optional<std::string> privilegedOutcomeMessage(const PrivilegedResult& result, const char* fallback);

// Runs one program as administrator. Fakes stand in for it in tests.
using PrivilegedRunner = std::function<PrivilegedResult(const std::vector<std::string>& argv)>;

inline constexpr const char* kPkexecPath = "/usr/bin/pkexec";

// What a step the user cancelled in the authentication dialog reports.
inline constexpr const char* kCancelledMessage = "Cancelled.";

// Runs `argv` (argv[0] an absolute path) through pkexec and waits as long as the user takes. A program
// that does not exist is not started (no password is asked for it); pkexec's exit status 126 means
// the dialog was dismissed.
// `pkexec` names the pkexec program (tests pass a stand-in).
PrivilegedResult runPrivileged(const std::vector<std::string>& argv, const std::string& pkexec = kPkexecPath);

// Moves the item at `path`, which the user may not move, into the user's Trash as administrator:
// a free name is reserved in the home Trash's files/ folder (with its .trashinfo), "/bin/mv" moves the
// item there without replacing anything, and success is reported only once the item is seen gone
// from `path` and present in the Trash. A move that did not happen takes back its .trashinfo.
// On success `trashPath` (when given) receives where the item now lies.
PrivilegedResult moveToTrashAsAdministrator(const std::string& path, const PrivilegedRunner& run,
                                            std::string* trashPath = nullptr);

}  // namespace tolvex
