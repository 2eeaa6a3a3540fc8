// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a piece of a test in a forked child, so that what it changes for its process (a file
// size limit, the user it runs as, a private mount) never reaches the test process. The child
// reports back a text: empty when all was well, "skip: <reason>" when the check could not be
// made here, anything else is a failure to show; " (ended by SIGxxx)" is added when a signal
// ended the child.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <functional>
#include <string>

namespace numerella {

inline std::string RunInChild(const std::function<std::string()>& body) {
  int ends[2];
  if (::pipe(ends) != 0) return "pipe failed";
  const pid_t pid = ::fork();
  if (pid == 0) {
    ::close(ends[0]);
    const std::string report = body();
    for (std::size_t done = 0; done < report.size();) {
      const ssize_t n = ::write(ends[1], report.data() + done, report.size() - done);
      if (n <= 0) break;
      done += static_cast<std::size_t>(n);
    }
    ::_exit(0);  // no exit handlers: they belong to the test process
  }
  ::close(ends[1]);
  std::string report;
  char chunk[512];
  for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) != 0;) {
    if (n > 0) report.append(chunk, static_cast<std::size_t>(n));
    if (n < 0 && errno != EINTR) break;
  }
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
  if (WIFSIGNALED(status))
    report += std::string(" (ended by SIG") + sigabbrev_np(WTERMSIG(status)) + ")";
  if (WIFEXITED(status) && WEXITSTATUS(status) != 0) report += " (the child failed)";
  return report;
}

}  // namespace numerella
