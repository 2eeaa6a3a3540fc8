// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval as a user runs it, one row of cases.tsv at a time: the built program started
// with fork and exec, its arguments, standard input and how they are given, against its
// output, standard error and exit status.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <regex>
#include <thread>

#include "case_table.h"
#include "formula_runner.h"

namespace numerella::cli {
namespace {

struct Launch {
  std::vector<std::string> args;
  std::string input;  // written to a pipe as standard input, as the feed says
  // kAll: at once. kSlow: after 200 ms, in pieces, to descriptors set to non-blocking.
  // kEndless: again and again until the program stops reading. kAsk: one line at a time,
  // each written only once the answer to the one before has come.
  enum class Feed { kAll, kSlow, kEndless, kAsk } feed = Feed::kAll;
  std::string input_path;   // or this file as standard input
  std::string output_path;  // standard output to this file instead of a pipe
  std::size_t close_output_after = std::string::npos;  // close the pipe after so many bytes
  long file_size_limit = -1;                           // RLIMIT_FSIZE, SIGXFSZ ignored
  bool ignore_sigpipe = false;
  bool unprivileged = false;  // when run as root, as the user "nobody"
  bool close_input = false;   // start with standard input closed
  bool no_threads = false;    // RLIMIT_NPROC 1 (with unprivileged): no thread can start
  bool watch_memory = false;  // follow the program's peak resident memory and threads
  long threads = 0;           // the threads it runs at its busiest (0: not checked)
};

struct Finished {
  std::string status;  // the exit status, or the name of the signal that ended it (SIGPIPE)
  std::string out, err;
  long peak_kib = 0, threads = 0;
};

[[noreturn]] void StartChild(const Launch& launch, int in_fd, int out_fd, int err_fd) {
  if (launch.close_input) close(STDIN_FILENO);
  if (!launch.close_input) dup2(in_fd, STDIN_FILENO);
  dup2(out_fd, STDOUT_FILENO);
  dup2(err_fd, STDERR_FILENO);
  if (launch.feed == Launch::Feed::kSlow) {
    for (int fd : {STDIN_FILENO, STDOUT_FILENO})
      fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK);
  }
  signal(SIGPIPE, launch.ignore_sigpipe ? SIG_IGN : SIG_DFL);
  if (launch.file_size_limit >= 0) {
    signal(SIGXFSZ, SIG_IGN);
    const auto size = static_cast<rlim_t>(launch.file_size_limit);
    const rlimit limit{size, size};
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  if (launch.no_threads) {
    const rlimit one{1, 1};
    setrlimit(RLIMIT_NPROC, &one);
    // The leak checker of a sanitizer build needs a thread at exit, which this limit refuses.
    const char* given = std::getenv("ASAN_OPTIONS");
    setenv("ASAN_OPTIONS", (std::string(given ? given : "") + ":detect_leaks=0").c_str(), 1);
  }
  if (launch.unprivileged && geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
    _exit(126);
  std::vector<char*> argv{const_cast<char*>(NUMERELLA_EVAL)};
  for (const std::string& a : launch.args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  execv(argv[0], argv.data());
  _exit(127);
}

// The peaks of resident memory (KiB) and of threads once the process runs numerella-eval
// (before the exec it is a copy of the test).
void WatchPeaks(pid_t pid, Finished& done) {
  const std::string proc = "/proc/" + std::to_string(pid);
  std::ifstream comm(proc + "/comm"), status(proc + "/status");
  std::string line;
  if (!std::getline(comm, line) || line != "numerella-eval") return;
  while (std::getline(status, line)) {
    const long value = std::atol(line.c_str() + std::min<std::size_t>(8, line.size()));
    if (line.starts_with("VmHWM:")) done.peak_kib = std::max(done.peak_kib, value);
    if (line.starts_with("Threads:")) done.threads = std::max(done.threads, value);
  }
}

void Feed(const Launch& launch, int fd) {
  const std::string& in = launch.input;
  if (launch.feed == Launch::Feed::kSlow) usleep(200000);  // nothing to read at first
  const std::size_t piece = launch.feed == Launch::Feed::kSlow ? 4096 : in.size() + 1;
  do {
    for (std::size_t done = 0; done < in.size();) {
      const ssize_t n = write(fd, in.data() + done, std::min(piece, in.size() - done));
      if (n <= 0) return;
      done += static_cast<std::size_t>(n);
    }
  } while (launch.feed == Launch::Feed::kEndless);
}

// Writes each line and reads the answer up to its line end, waiting ten seconds at most.
void Ask(const std::string& input, int in_fd, int out_fd, std::string& answers) {
  for (std::size_t start = 0, end; start < input.size(); start = end + 1) {
    end = input.find('\n', start);
    if (write(in_fd, input.data() + start, end + 1 - start) <= 0) return;
    for (char c = 0; c != '\n';) {
      pollfd p{out_fd, POLLIN, 0};
      if (poll(&p, 1, 10000) != 1 || read(out_fd, &c, 1) != 1) return;
      answers += c;
    }
  }
}

Finished RunEval(const Launch& launch) {
  int in[2] = {-1, -1}, out[2] = {-1, -1}, err[2];
  pipe2(err, O_CLOEXEC);
  if (launch.output_path.empty()) pipe2(out, O_CLOEXEC);
  const int out_fd =
      launch.output_path.empty()
          ? out[1]
          : open(launch.output_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (launch.input_path.empty()) pipe2(in, O_CLOEXEC);
  const int in_fd =
      launch.input_path.empty() ? in[0] : open(launch.input_path.c_str(), O_RDONLY | O_CLOEXEC);
  signal(SIGPIPE, SIG_IGN);  // the program may stop reading its input early
  const pid_t pid = fork();
  if (pid == 0) StartChild(launch, in_fd, out_fd, err[1]);
  close(in_fd);
  close(out_fd);
  close(err[1]);
  Finished done;
  std::thread feeder;
  if (launch.feed == Launch::Feed::kAsk) {
    Ask(launch.input, in[1], out[0], done.out);
    close(in[1]);
  } else if (in[1] >= 0) {
    feeder = std::thread([&launch, fd = in[1]] { Feed(launch, fd), close(fd); });
  }
  // Both pipes are read to their ends at the same time.
  pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
  std::string* texts[2] = {&done.out, &done.err};
  for (char buffer[65536]; fds[0].fd >= 0 || fds[1].fd >= 0;) {
    poll(fds, 2, launch.watch_memory ? 5 : -1);
    if (launch.watch_memory) WatchPeaks(pid, done);
    for (int k = 0; k < 2; ++k) {
      if (fds[k].fd < 0 || fds[k].revents == 0) continue;
      const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
      if (n > 0) texts[k]->append(buffer, static_cast<std::size_t>(n));
      if (n <= 0 || (k == 0 && done.out.size() >= launch.close_output_after)) {
        close(fds[k].fd);
        fds[k].fd = -1;
      }
    }
  }
  int status = 0;
  waitpid(pid, &status, 0);
  if (feeder.joinable()) feeder.join();
  done.status = WIFEXITED(status) ? std::to_string(WEXITSTATUS(status))
                                  : std::string("SIG") + sigabbrev_np(WTERMSIG(status));
  return done;
}

using numerella::test::Row;
using numerella::test::Unescape;
using numerella::test::Words;

// A cell with $TMP, a folder of the test's own with the files the rows read, and $VERSION.
std::string Expand(std::string text) {
  // A folder of this process's own, removed at its end: every row runs in a process of its
  // own, and rows run side by side. Others may search it (some rows run as an unprivileged
  // user).
  static const struct Folder {
    std::string path = ::testing::TempDir() + "numerella_eval.XXXXXX";
    Folder() {
      if (mkdtemp(path.data()) == nullptr) return;
      chmod(path.c_str(), 0755);
      std::ofstream(path + "/formulas", std::ios::binary) << "1+1\n\n2*3\r\n1/0";
      std::ofstream(path + "/locked") << "1\n";
      chmod((path + "/locked").c_str(), 0);
    }
    ~Folder() {
      std::error_code ignored;
      std::filesystem::remove_all(path, ignored);
    }
  } folder;
  const std::string& tmp = folder.path;
  for (const auto& [name, value] :
       {std::pair<std::string, std::string>{"$TMP", tmp}, {"$VERSION", NUMERELLA_VERSION}}) {
    for (std::size_t at; (at = text.find(name)) != std::string::npos;)
      text.replace(at, name.size(), value);
  }
  return text;
}

Launch FromRow(const Row& row, std::vector<std::string>& jobs) {
  Launch l;
  l.args = Words(Expand(row["args"]));
  l.input = Unescape(row["stdin"]);
  for (const std::string& mode : Words(Expand(row["mode"]))) {
    const std::string value = mode.substr(mode.find('=') + 1);
    if (mode.starts_with("j=")) jobs = Words(std::regex_replace(value, std::regex(","), " "));
    if (mode.starts_with("stdin=")) l.input_path = value;
    if (mode.starts_with("out=")) l.output_path = value;
    if (mode.starts_with("fsize=")) l.file_size_limit = std::stol(value);
    l.unprivileged |= mode == "nobody" || mode == "nothreads";
    l.no_threads |= mode == "nothreads";
    l.close_input |= mode == "closed";
    l.ignore_sigpipe |= mode == "nosigpipe";
    l.watch_memory |= mode == "bounded";
    if (mode.starts_with("threads=")) l.threads = std::stol(value);
    if (mode == "slow") l.feed = Launch::Feed::kSlow;
    if (mode == "ask") l.feed = Launch::Feed::kAsk;
    if (mode == "hangup") l.feed = Launch::Feed::kEndless, l.close_output_after = 1;
  }
  return l;
}

// What the program writes for its input, computed here a whole line at a time.
std::pair<std::string, std::string> LineByLine(const std::vector<std::string>& args,
                                               const std::string& input) {
  std::string error, out, err;
  const Options options = *ParseArguments(args, error);  // the runner keeps a reference
  FormulaRunner runner(options);
  for (std::size_t start = 0, end; start < input.size(); start = end + 1) {
    end = std::min(input.find('\n', start), input.size());
    std::string_view line(input.data() + start, end - start);
    if (line.ends_with('\r')) line.remove_suffix(1);
    runner.Run(line, out, err);
  }
  return {out, err};
}

// Expected: the exact text; "~text": contains it; "*": anything; "=": as computed line by line.
void ExpectText(const std::string& expected, const std::string& got, const std::string& same) {
  if (expected.starts_with("~")) {
    EXPECT_NE(got.find(Unescape(Expand(expected.substr(1)))), std::string::npos) << got;
  } else if (expected != "*") {
    EXPECT_TRUE(got == (expected == "=" ? same : Unescape(Expand(expected))))
        << "got " << testing::PrintToString(got.substr(0, 300)) << " want "
        << testing::PrintToString(
               (expected == "=" ? same : Unescape(Expand(expected))).substr(0, 300));
  }
}

class Cases : public testing::TestWithParam<Row> {};

TEST_P(Cases, Run) {
  const Row& row = GetParam();
  std::vector<std::string> jobs{""};
  Launch launch = FromRow(row, jobs);
  const std::vector<std::string> args = launch.args;
  const bool same = row["stdout"] == "=" || row["stderr"] == "=";
  const auto [out, err] =
      same ? LineByLine(args, launch.input) : std::pair<std::string, std::string>();
  for (const std::string& n : jobs) {
    SCOPED_TRACE(row.where + " -j " + n);
    launch.args = args;
    if (!n.empty()) launch.args.insert(launch.args.end(), {"-j", n});
    Finished f = RunEval(launch);
    if (std::filesystem::is_regular_file(launch.output_path)) {
      std::ifstream file(launch.output_path, std::ios::binary);
      f.out.assign(std::istreambuf_iterator<char>(file), {});
    }
    EXPECT_EQ(f.status, row["status"]);
    ExpectText(row["stdout"], f.out, out);
    ExpectText(row["stderr"], f.err, err);
    // A sanitizer's own memory (shadow, quarantine) is beyond the program's bound, and its
    // threads are beside the program's.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    if (launch.threads > 0) {
      EXPECT_EQ(f.threads, launch.threads);
    }
    if (launch.watch_memory) {
      EXPECT_TRUE(f.peak_kib > 0 && f.peak_kib < 16 * 1024) << f.peak_kib;
    }
#endif
  }
}

INSTANTIATE_TEST_SUITE_P(Table, Cases,
                         testing::ValuesIn(numerella::test::ReadTable(TABLES "cases.tsv")),
                         [](const auto& info) {
                           return "line" + info.param.where.substr(info.param.where.find(':') + 1);
                         });

}  // namespace
}  // namespace numerella::cli
