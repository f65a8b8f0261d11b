// Running part of a test as an ordinary user: the tests run as the superuser here, who
// passes every permission test, so what permissions mean for a user is checked in a
// child process that has given up its privileges.
#pragma once

#include <grp.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace vombrel::testing {

inline constexpr uid_t kUnprivilegedId = 65534;  // "nobody"

// Runs body in a forked child under the unprivileged user and group id (when the test
// runs as the superuser; otherwise as the test's own user) and returns its result (0..99),
// or -1 when the child could not drop its privileges or did not end normally. The body
// must not use the test framework's assertions; it returns a code the parent checks.
inline int RunAsOrdinaryUser(const std::function<int()>& body) {
  const pid_t child = fork();
  if (child < 0) return -1;
  if (child == 0) {
    if (geteuid() == 0 && (setgroups(0, nullptr) != 0 || setgid(kUnprivilegedId) != 0 || setuid(kUnprivilegedId) != 0))
      _exit(100);
    _exit(body());
  }
  int status = 0;
  if (waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) >= 100) return -1;
  return WEXITSTATUS(status);
}

}  // namespace vombrel::testing
