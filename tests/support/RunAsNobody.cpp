#include "support/RunAsNobody.h"

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

namespace tolvex::test {

std::string runAsNobody(const std::function<std::string()>& work) {
  int pipeFds[2];
  if (::pipe(pipeFds) != 0) return "pipe failed";
  const pid_t child = ::fork();
  if (child < 0) return "fork failed";
  if (child == 0) {
    ::close(pipeFds[0]);
    std::string out;
    if (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 || ::setresuid(65534, 65534, 65534) != 0)
      out = "could not become nobody";
    else
      out = work();
    (void)!::write(pipeFds[1], out.data(), out.size());
    ::_exit(0);
  }
  ::close(pipeFds[1]);
  std::string out;
  char buffer[4096];
  ssize_t n;
  while ((n = ::read(pipeFds[0], buffer, sizeof buffer)) > 0) out.append(buffer, static_cast<size_t>(n));
  ::close(pipeFds[0]);
  int status = 0;
  ::waitpid(child, &status, 0);
  return out;
}

bool nobodyCanReach(const std::string& path) {
  return runAsNobody([&] { return std::string(::access(path.c_str(), F_OK) == 0 ? "yes" : "no"); }) == "yes";
}

}  // namespace tolvex::test
