// SPDX-License-Identifier: GPL-3.0-or-later
// Runs a piece of a test in a forked child, so that what it changes for its process (a file
// size limit, the user it runs as, a private mount) never reaches the test process. The child
// reports back a text: empty when all was well, "skip: <reason>" when the check could not be
// made here, anything else is a failure to show; " (ended by SIGxxx)" follows when a signal
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
    const std::string report = body();
    for (std::size_t done = 0, n = 1; done < report.size() && n > 0; done += n)
      n = std::max<ssize_t>(::write(ends[1], report.data() + done, report.size() - done), 0);
    ::_exit(0);  // no exit handlers: they belong to the test process
  }
  ::close(ends[1]);
  std::string report;
  char chunk[512];
  for (ssize_t n; (n = ::read(ends[0], chunk, sizeof chunk)) > 0 || (n < 0 && errno == EINTR);)
    report.append(chunk, static_cast<std::size_t>(std::max<ssize_t>(n, 0)));
  ::close(ends[0]);
  int status = 0;
  while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) continue;
  if (WIFSIGNALED(status))
    report += std::string(" (ended by SIG") + sigabbrev_np(WTERMSIG(status)) + ")";
  return report;
}

}  // namespace numerella
