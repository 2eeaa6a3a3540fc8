// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval at a terminal: keys typed on a pseudo-terminal, the answer of the line they
// make, and the history file before and after the session.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Typing {
  const char* state_home;            // XDG_STATE_HOME below the temporary folder, or relative
  std::string earlier;               // the history file before the session
  std::vector<std::string> strokes;  // typed one after the other, each echoed before the next
  std::string answer;                // the answer line of the entered line
  std::string newest;                // the last line of the history file afterwards
};

void PrintTo(const Typing& typing, std::ostream* os) { *os << typing.newest; }

constexpr char kLeft[] = "\x1b[D";
constexpr char kUp[] = "\x1b[A";

const Typing kTypings[] = {
    {"/state", "", {"2^3", kLeft, kLeft, "1\r"}, "9261", "21^3"},
    {"state", "1+1\n7*6\n", {kUp, "\r"}, "42", "7*6"},  // not absolute: the home's folder
    {"state", "1+1\n7*6\n", {kUp, kUp, "\x7f", "5\r"}, "6", "1+5"},
    {"/state", "", {"c_n", "\t", "0,0,1)\r"}, ".5", "C_N(0,0,1)"},
    {"/state", "", {"99", "\x03", "1+1\r"}, "2", "1+1"},
};

// The lines of a terminal's output: without escape sequences and carriage returns.
std::string Lines(const std::string& seen) {
  std::string lines;
  for (std::size_t i = 0; i < seen.size(); ++i) {
    if (seen[i] == '\x1b') {  // up to the final byte of the control sequence: @ to ~
      for (i += 2; i < seen.size() && (seen[i] < '@' || seen[i] > '~');) ++i;
    } else if (seen[i] != '\r') {
      lines += seen[i];
    }
  }
  return lines;
}

// Reads what the program writes until nothing more comes for a while or it has ended.
void ReadQuiet(int master, std::string& seen) {
  for (char buffer[4096];;) {
    pollfd ready{master, POLLIN, 0};
    if (poll(&ready, 1, 300) <= 0) return;
    const ssize_t n = read(master, buffer, sizeof buffer);
    if (n <= 0) return;
    seen.append(buffer, static_cast<std::size_t>(n));
  }
}

class EvalTerminal : public testing::TestWithParam<Typing> {
 protected:
  void SetUp() override {
    char name[] = "/tmp/numerella-terminal-XXXXXX";
    ASSERT_NE(mkdtemp(name), nullptr);
    root_ = name;
  }
  void TearDown() override { fs::remove_all(root_); }
  fs::path root_;
};

TEST_P(EvalTerminal, TypedLineGivesItsAnswerAndIsKept) {
  const Typing& typing = GetParam();
  const std::string home = root_ / "home";
  const std::string state =
      typing.state_home[0] == '/' ? root_.string() + typing.state_home : typing.state_home;
  const fs::path folder =
      state[0] == '/' ? fs::path(state) / "numerella" : fs::path(home) / ".local/state/numerella";
  fs::create_directories(home);
  if (!typing.earlier.empty()) {
    fs::create_directories(folder);
    std::ofstream(folder / "history") << typing.earlier;
  }
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::string env[] = {"HOME=" + home, "XDG_STATE_HOME=" + state, "TERM=xterm",
                         "INPUTRC=/dev/null"};
    char* envp[] = {env[0].data(), env[1].data(), env[2].data(), env[3].data(), nullptr};
    execle(NUMERELLA_EVAL, NUMERELLA_EVAL, static_cast<char*>(nullptr), envp);
    _exit(127);
  }
  std::string seen;
  ReadQuiet(master, seen);  // the prompt
  for (const std::string& keys : typing.strokes) {
    ASSERT_EQ(write(master, keys.data(), keys.size()), static_cast<ssize_t>(keys.size()));
    ReadQuiet(master, seen);
  }
  ASSERT_EQ(write(master, "\x04", 1), 1);
  ReadQuiet(master, seen);
  int status = 0;
  for (int tries = 0; waitpid(pid, &status, WNOHANG) == 0; ++tries) {
    if (tries == 50) kill(pid, SIGKILL);  // Ctrl+D did not end it
    usleep(100 * 1000);
  }
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
  EXPECT_NE(Lines(seen).find("\n" + typing.answer + "\n"), std::string::npos) << seen;
  std::ifstream kept(folder / "history");
  std::string line, last;
  while (std::getline(kept, line)) last = line;
  EXPECT_EQ(last, typing.newest);
  struct stat made = {};
  ASSERT_EQ(stat(folder.c_str(), &made), 0);
  if (typing.earlier.empty()) {
    EXPECT_EQ(made.st_mode & 0777, 0700u);
  }
}

INSTANTIATE_TEST_SUITE_P(Keys, EvalTerminal, testing::ValuesIn(kTypings));

}  // namespace
