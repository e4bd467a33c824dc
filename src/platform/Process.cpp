#include "platform/Process.h"

#include <cerrno>
#include <algorithm>
#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include "platform/Utf8.h"

extern char** environ;

namespace tolvex {

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds left until `deadline` for poll(): -1 without a deadline, never below 0.
int millisecondsLeft(const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return -1;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(*deadline - Clock::now()).count();
  if (left <= 0) return 0;
  return left > 1'000'000'000 ? 1'000'000'000 : static_cast<int>(left);
}

// One end of an output pipe being read into a string, up to a limit.
struct Stream {
  int fd = -1;
  std::string* into = nullptr;
  size_t limit = 0;

  // Reads what is there; false at the end of the stream (the descriptor is then closed).
  bool readSome() {
    char buffer[65536];
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) return true;
    if (n <= 0) {
      ::close(fd);
      fd = -1;
      return false;
    }
    const size_t room = limit > into->size() ? limit - into->size() : 0;
    into->append(buffer, std::min(room, static_cast<size_t>(n)));
    return true;
  }
};

// Reads both outputs until they end or the deadline passes. True when the deadline passed first.
bool readOutputs(Stream (&streams)[2], const std::optional<Clock::time_point>& deadline) {
  for (;;) {
    pollfd fds[2];
    nfds_t count = 0;
    Stream* polled[2];
    for (Stream& stream : streams) {
      if (stream.fd < 0) continue;
      fds[count] = {stream.fd, POLLIN, 0};
      polled[count++] = &stream;
    }
    if (count == 0) return false;
    const int wait = millisecondsLeft(deadline);
    if (wait == 0) return true;
    const int ready = ::poll(fds, count, wait);
    if (ready < 0 && errno != EINTR) return false;
    for (nfds_t i = 0; ready > 0 && i < count; ++i)
      if (fds[i].revents != 0) polled[i]->readSome();
  }
}

// Waits for the program to end until the deadline. True when the deadline passed first.
bool waitForExit(pid_t pid, const std::optional<Clock::time_point>& deadline) {
  if (!deadline) return false;
  const int pidfd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
  if (pidfd < 0) return false;  // an old kernel: wait without a limit
  bool late = false;
  for (;;) {
    const int wait = millisecondsLeft(deadline);
    if (wait == 0) {
      late = true;
      break;
    }
    pollfd fd{pidfd, POLLIN, 0};
    const int ready = ::poll(&fd, 1, wait);
    if (ready > 0 || (ready < 0 && errno != EINTR)) break;
  }
  ::close(pidfd);
  return late;
}

}  // namespace

std::optional<ProcessResult> runProcess(const std::vector<std::string>& argv, const ProcessOptions& options) {
  if (argv.empty()) return std::nullopt;
  int outFds[2], errFds[2];
  if (::pipe2(outFds, O_CLOEXEC) != 0) return std::nullopt;
  if (::pipe2(errFds, O_CLOEXEC) != 0) {
    ::close(outFds[0]);
    ::close(outFds[1]);
    return std::nullopt;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, outFds[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, errFds[1], STDERR_FILENO);
  // With a timeout the program gets a process group of its own, so that what it starts is killed too.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  if (options.timeoutSeconds) {
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
    posix_spawnattr_setpgroup(&attributes, 0);
  }
  std::vector<char*> args;
  for (const auto& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  ::close(outFds[1]);
  ::close(errFds[1]);
  if (spawned != 0) {
    ::close(outFds[0]);
    ::close(errFds[0]);
    return std::nullopt;
  }

  std::optional<Clock::time_point> deadline;
  if (options.timeoutSeconds)
    deadline = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                  std::chrono::duration<double>(std::max(0.0, *options.timeoutSeconds)));
  ProcessResult result;
  Stream streams[2] = {{outFds[0], &result.output, std::string().max_size()},
                       {errFds[0], &result.errorOutput, options.errorOutputLimit}};
  result.timedOut = readOutputs(streams, deadline) || waitForExit(pid, deadline);
  for (Stream& stream : streams)
    if (stream.fd >= 0) ::close(stream.fd);
  if (result.timedOut) ::kill(-pid, SIGKILL);

  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
  }
  result.exitStatus = !result.timedOut && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  // What a program prints is text to us: bytes that aren't UTF-8 (another locale, a cut sequence)
  // become U+FFFD here, once, rather than in each reader.
  result.output = utf8WithReplacements(result.output);
  result.errorOutput = utf8WithReplacements(result.errorOutput);
  return result;
}

}  // namespace tolvex
