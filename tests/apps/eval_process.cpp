// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built numerella-eval with fork and exec.
#include "eval_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace numerella::cli::test {
namespace {

[[noreturn]] void StartChild(const Launch& launch, int in_fd, int out_fd, int err_fd) {
  if (launch.close_input) {
    close(STDIN_FILENO);
  } else {
    dup2(in_fd, STDIN_FILENO);
  }
  dup2(out_fd, STDOUT_FILENO);
  dup2(err_fd, STDERR_FILENO);
  if (launch.nonblocking) {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO})
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  signal(SIGPIPE, launch.ignore_sigpipe ? SIG_IGN : SIG_DFL);
  if (launch.file_size_limit >= 0) {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{static_cast<rlim_t>(launch.file_size_limit),
                       static_cast<rlim_t>(launch.file_size_limit)};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  if (launch.no_threads) {
    const rlimit one{1, 1};
    setrlimit(RLIMIT_NPROC, &one);
    // The leak checker of a sanitizer build needs a thread of its own at exit, which this
    // limit refuses: it is switched off for this one process.
    std::string asan = "detect_leaks=0";
    if (const char* given = std::getenv("ASAN_OPTIONS")) asan = std::string(given) + ":" + asan;
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
  }
  if (launch.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
    _exit(126);
  }
  std::vector<char*> argv{const_cast<char*>(NUMERELLA_EVAL)};
  for (const std::string& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// The peak resident memory of the program the process runs now, in KiB, or 0 while it is not
// yet numerella-eval (before the exec the process is a copy of the test and its memory).
long PeakKib(pid_t pid) {
  std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
  std::string name;
  if (!std::getline(comm, name) || name != "numerella-eval") return 0;
  std::ifstream status("/proc/" + std::to_string(pid) + "/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmHWM:")) return std::atol(line.c_str() + 6);
  }
  return 0;
}

// Reads both pipes to their ends at the same time, and watches the peak memory meanwhile
// (the kernel's figure for a finished child would include the copy of the test before exec).
void Collect(pid_t pid, int out_fd, int err_fd, const Launch& launch, Finished& done) {
  pollfd fds[2] = {{out_fd, POLLIN, 0}, {err_fd, POLLIN, 0}};
  char buffer[65536];
  for (int open = (out_fd >= 0) + 1; open > 0;) {
    poll(fds, 2, 5);
    done.peak_kib = std::max(done.peak_kib, PeakKib(pid));
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n <= 0) {
        close(fds[k].fd);
        fds[k].fd = -1;
        --open;
      } else if (k == 1) {
        done.err.append(buffer, n);
      } else {
        const std::size_t room = launch.keep_output - std::min(launch.keep_output, done.out.size());
        done.out.append(buffer, std::min(room, static_cast<std::size_t>(n)));
        done.out_bytes += n;
        if (done.out_bytes >= launch.close_output_after) {
          close(fds[k].fd);
          fds[k].fd = -1;
          --open;
        }
      }
    }
  }
}

}  // namespace

Finished RunEval(const Launch& launch) {
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2];
  pipe2(err, O_CLOEXEC);
  const bool out_to_file = !launch.output_path.empty();
  int out_fd;
  if (out_to_file) {
    out_fd = open(launch.output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  } else {
    pipe2(out, O_CLOEXEC);
    out_fd = out[1];
  }
  int in_fd;
  if (!launch.input_path.empty()) {
    in_fd = open(launch.input_path.c_str(), O_RDONLY | O_CLOEXEC);
  } else {
    pipe2(in, O_CLOEXEC);
    in_fd = in[0];
  }
  signal(SIGPIPE, SIG_IGN);  // the program may stop reading its input early
  const pid_t pid = fork();
  if (pid == 0) StartChild(launch, in_fd, out_fd, err[1]);
  close(in_fd);
  close(out_fd);
  close(err[1]);
  std::thread feeder;
  if (launch.converse) {
    launch.converse(in[1], out[0]);
    close(in[1]);
    close(out[0]);
    in[1] = out[0] = -1;
  } else if (in[1] >= 0) {
    feeder = std::thread([&launch, fd = in[1]] {
      if (launch.feed) {
        launch.feed(fd);
      } else {
        for (std::size_t done = 0; done < launch.input.size();) {
          const ssize_t n = write(fd, launch.input.data() + done, launch.input.size() - done);
          if (n <= 0) break;
          done += n;
        }
      }
      close(fd);
    });
  }
  Finished done;
  Collect(pid, out_to_file ? -1 : out[0], err[0], launch, done);
  int status = 0;
  waitpid(pid, &status, 0);
  if (feeder.joinable()) feeder.join();
  if (WIFEXITED(status)) done.status = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) done.signal = WTERMSIG(status);
  return done;
}

}  // namespace numerella::cli::test
