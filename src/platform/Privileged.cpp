#include "platform/Privileged.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/Process.h"
#include "platform/Trash.h"

namespace tolvex {

namespace {

// pkexec's exit status when the user dismissed the authentication dialog.
constexpr int kDismissed = 126;

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r\n") - first + 1);
}

// The item that was at `source` (as `before` described it) now lies at `destination`, and nothing is
// left at `source`. Across file systems the move is a copy, so the kind and length are compared.
bool movedAway(const std::string& source, const struct stat& before, const std::string& destination) {
  struct stat now {};
  if (::lstat(source.c_str(), &now) == 0 || errno != ENOENT) return false;
  if (::lstat(destination.c_str(), &now) != 0) return false;
  if (now.st_dev == before.st_dev) return now.st_ino == before.st_ino;
  return (now.st_mode & S_IFMT) == (before.st_mode & S_IFMT) && now.st_size == before.st_size;
}

}  // namespace

std::optional<std::string> privilegedOutcomeMessage(const PrivilegedResult& result, const char* fallback) {
  using Status = PrivilegedResult::Status;
  switch (result.status) {
    case Status::succeeded: return std::nullopt;
    case Status::cancelled: return std::string(kCancelledMessage);
    case Status::failed:
      if (!result.message.empty()) return result.message;
      break;
    case Status::notStarted: break;
  }
  return std::string(fallback);
}

PrivilegedResult runPrivileged(const std::vector<std::string>& argv, const std::string& pkexec) {
  using Status = PrivilegedResult::Status;
  if (argv.empty() || argv[0].empty() || argv[0].front() != '/')
    return {Status::notStarted, "The program to run is not given by its full path."};
  // Asking for a password to run a program that isn't there would only confuse.
  if (::access(argv[0].c_str(), X_OK) != 0) return {Status::notStarted, argv[0] + ": " + std::strerror(errno)};
  std::vector<std::string> command{pkexec};
  command.insert(command.end(), argv.begin(), argv.end());
  // No timeout: the user answers the authentication dialog in their own time.
  const auto result = runProcess(command);
  if (!result) return {Status::notStarted, pkexec + ": " + std::strerror(ENOENT)};
  if (result->exitStatus == 0) return {Status::succeeded, {}};
  if (result->exitStatus == kDismissed) return {Status::cancelled, {}};
  return {Status::failed, trimmed(result->errorOutput)};
}

PrivilegedResult moveToTrashAsAdministrator(const std::string& path, const PrivilegedRunner& run,
                                            std::string* trashPath) {
  using Status = PrivilegedResult::Status;
  struct stat before {};
  if (::lstat(path.c_str(), &before) != 0) return {Status::failed, std::strerror(errno)};
  const TrashReservation reserved = reserveHomeTrashName(path, static_cast<double>(::time(nullptr)));
  if (reserved.error) return {Status::failed, std::strerror(reserved.error)};
  // -n: never replace what is there; -T: never move into a folder that appeared at that name.
  PrivilegedResult result = run({"/bin/mv", "-n", "-T", "--", path, reserved.trashPath});
  if (movedAway(path, before, reserved.trashPath)) {
    if (trashPath) *trashPath = reserved.trashPath;
    return {Status::succeeded, {}};
  }
  // The item is still where it was (whatever lies at the reserved name is not it), or it went
  // nowhere: the info file would describe something that is not in the Trash.
  struct stat st {};
  if (::lstat(path.c_str(), &st) == 0 || ::lstat(reserved.trashPath.c_str(), &st) != 0)
    ::unlink(reserved.infoPath.c_str());
  if (result.status == Status::succeeded) result = {Status::failed, {}};  // it said so, but nothing moved
  return result;
}

}  // namespace tolvex
