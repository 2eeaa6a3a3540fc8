// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval at a terminal, one row of terminal.tsv at a time: keys typed on a
// pseudo-terminal, the answer of the line they make, and the history file around the session.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>

#include "case_table.h"

namespace {

namespace fs = std::filesystem;
using numerella::test::Row;

// Reads what the program writes until nothing more comes for a while or it has ended; only
// the text, without escape sequences (up to their final byte, @ to ~) and carriage returns.
void ReadQuiet(int master, std::string& lines) {
  for (char buffer[4096];;) {
    pollfd ready{master, POLLIN, 0};
    const ssize_t n = poll(&ready, 1, 300) == 1 ? read(master, buffer, sizeof buffer) : 0;
    if (n <= 0) return;
    for (ssize_t i = 0; i < n; ++i) {
      if (buffer[i] == '\x1b') {
        for (i += 2; i < n && (buffer[i] < '@' || buffer[i] > '~');) ++i;
      } else if (buffer[i] != '\r') {
        lines += buffer[i];
      }
    }
  }
}

class EvalTerminal : public testing::TestWithParam<Row> {};

TEST_P(EvalTerminal, TypedLineGivesItsAnswerAndIsKept) {
  const Row& row = GetParam();
  char name[] = "/tmp/numerella-terminal-XXXXXX";
  ASSERT_NE(mkdtemp(name), nullptr);
  const fs::path root = name, home = root / "home";
  const std::string state = row["state"][0] == '/' ? root.string() + row["state"] : row["state"];
  const fs::path folder =
      state[0] == '/' ? fs::path(state) / "numerella" : home / ".local/state/numerella";
  fs::create_directories(home);
  if (!row["history"].empty()) {
    fs::create_directories(folder);
    std::ofstream(folder / "history") << numerella::test::Unescape(row["history"]);
  }
  int master = -1;
  const pid_t pid = forkpty(&master, nullptr, nullptr, nullptr);
  ASSERT_GE(pid, 0);
  if (pid == 0) {
    std::string env[] = {"HOME=" + home.string(), "XDG_STATE_HOME=" + state, "TERM=xterm",
                         "INPUTRC=/dev/null"};
    char* envp[] = {env[0].data(), env[1].data(), env[2].data(), env[3].data(), nullptr};
    execle(NUMERELLA_EVAL, NUMERELLA_EVAL, static_cast<char*>(nullptr), envp);
    _exit(127);
  }
  std::string seen;
  ReadQuiet(master, seen);  // the prompt
  std::vector<std::string> keys = numerella::test::Words(row["keys"]);
  keys.push_back("\x04");
  for (const std::string& k : keys) {
    ASSERT_EQ(write(master, k.data(), k.size()), static_cast<ssize_t>(k.size()));
    ReadQuiet(master, seen);
  }
  int status = 0;
  for (int tries = 0; waitpid(pid, &status, WNOHANG) == 0; ++tries) {
    if (tries == 50) kill(pid, SIGKILL);  // Ctrl+D did not end it
    usleep(100 * 1000);
  }
  close(master);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << seen;
  EXPECT_NE(seen.find("\n" + row["answer"] + "\n"), std::string::npos) << seen;
  std::ifstream kept(folder / "history");
  std::string line, last;
  while (std::getline(kept, line)) last = line;
  EXPECT_EQ(last, row["kept"]);
  struct stat made = {};
  EXPECT_TRUE(stat(folder.c_str(), &made) == 0 &&
              (!row["history"].empty() || (made.st_mode & 0777) == 0700));
  fs::remove_all(root);
}

INSTANTIATE_TEST_SUITE_P(Keys, EvalTerminal,
                         testing::ValuesIn(numerella::test::ReadTable(TABLES "terminal.tsv")));

}  // namespace
