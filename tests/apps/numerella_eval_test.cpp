// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval as a user runs it: arguments, files, output, exit status and error reports.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "eval_process.h"

namespace numerella::cli::test {
namespace {

std::string TempFile(const std::string& name, const std::string& content) {
  const std::string path = ::testing::TempDir() + "numerella_eval_" + name;
  std::ofstream(path, std::ios::binary) << content;
  return path;
}

struct Case {
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;
  std::string err;  // exactly, or when it starts with "~" a part of it
};

void Check(const Case& c, const Finished& f) {
  EXPECT_EQ(f.status, c.status);
  EXPECT_EQ(f.out, c.out);
  if (c.err.starts_with("~")) {
    EXPECT_NE(f.err.find(c.err.substr(1)), std::string::npos) << f.err;
  } else {
    EXPECT_EQ(f.err, c.err);
  }
}

// Formulas from the arguments and from standard input; the options; exit statuses 0 and 1.
TEST(NumerellaEval, FormulasAndOptions) {
  const std::string file = TempFile("formulas", "1+1\n\n2*3\r\n1/0");
  const Case cases[] = {
      // clang-format off
      {{}, "2*(3+4)^2\n", 0, "98\n", ""},   {{}, "1+1\r\n2+2\r\n", 0, "2\n4\n", ""},
      {{}, "", 0, "", ""},                  {{}, "7", 0, "7\n", ""},
      // A blank formula or line prints an empty line and counts as computed.
      {{"   "}, "", 0, "\n", ""},            {{}, "\n \n", 0, "\n\n", ""},
      {{"2*-3"}, "", 1, "***Errori di Compilazione\n", ""},
      {{"1", "1/0", "3"}, "", 1, "1\nErrore di Esecuzione\n3\n", ""},
      // Words with a single dash are formulas, except -h, -V, -f, -j and a lone -.
      {{"-3+4", "-2^2"}, "", 0, "1\n-4\n", ""},
      {{"-x"}, "", 1, "***Errori di Compilazione\n", ""},
      {{"--", "--1"}, "", 1, "***Errori di Compilazione\n", ""},
      {{"--", "-h", "-j"}, "", 1, "***Errori di Compilazione\n***Errori di Compilazione\n", ""},
      {{"--", "-"}, "5\n", 0, "5\n", ""},
      {{"-j2"}, "", 1, "***Errori di Compilazione\n", ""},
      {{"--listing", "2*-3"}, "", 1,
       "*** Controllo della Funzione\n* ERR. Scrittura dell'Espressione Errata\n", ""},
      {{"--formula", "y@@@a,b/1.5@a+b+7"}, "", 0, "8.5\n", ""},
      {{"--formula", "--let", "x=2", "--let=k=0.5", "y@x@k@@x*10+k"}, "", 0, "20.5\n", ""},
      {{"--formula", "y@x@@@x"}, "", 0, "0\n", ""},
      {{"--formula", "no sections"}, "", 1, "***Errori di Compilazione\n", ""},
      // A comma outside a function call makes a list whose value is its first item;
      // parentheses that are not a call do not group items.
      {{"1,5", "(1,5)*2", "SUM((1,2),3)"}, "", 0, "1\n1\n6\n", ""},
      // Sources in command-line order; - and -f - are standard input, read to its end once.
      {{"1", "-", "3"}, "2\n", 0, "1\n2\n3\n", ""},
      {{"-f", "-", "9"}, "8\n", 0, "8\n9\n", ""},
      {{"-f", file}, "", 1, "2\n\n6\nErrore di Esecuzione\n", ""},
      {{"--file=" + file, "--file", file}, "", 1,
       "2\n\n6\nErrore di Esecuzione\n2\n\n6\nErrore di Esecuzione\n", ""},
      {{"-j", "2", "-f", file, "--jobs=3"}, "", 1, "2\n\n6\nErrore di Esecuzione\n", ""},
      // --program: a line with the program after each answer (empty without a program).
      {{"--program", "2*(3+4)^2", "x", "", "1/0"}, "", 1,
       "98\nADD r1 r2 | POW r1 r3 | MUL r0 r1 | EXPR r0\n***Errori di Compilazione\n\n\n\n"
       "Errore di Esecuzione\nDIV r0 r1 | EXPR r0\n", ""},
      // A notice of the function library is a line on standard error.
      {{"C_X2(20003,20000)"}, "", 1, "Errore di Esecuzione\n",
       "D_X2: Errori nel Calcolo della Funzione\n"},
      {{"-V"}, "", 0, "numerella-eval (Numerella) " NUMERELLA_VERSION "\n", ""},
      {{"--version", "1"}, "", 0, "numerella-eval (Numerella) " NUMERELLA_VERSION "\n", ""},
      // clang-format on
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args.empty() ? c.input : c.args.back());
    Check(c, RunEval({.args = c.args, .input = c.input}));
  }
  for (const char* help : {"-h", "--help"}) {
    const Finished f = RunEval({.args = {"1", help}});
    EXPECT_EQ(f.status, 0);
    EXPECT_TRUE(f.out.starts_with("usage: numerella-eval")) << f.out;
    EXPECT_NE(f.out.find("--jobs"), std::string::npos);
  }
}

// A usage error is one line on standard error that names the problem and points to --help.
TEST(NumerellaEval, UsageErrors) {
  const std::pair<std::vector<std::string>, const char*> cases[] = {
      {{"--bogus"}, "unknown option '--bogus'"},
      {{"--let"}, "--let needs NAME=VALUE"},
      {{"--let", "x"}, "--let needs NAME=VALUE, got 'x'"},
      {{"--let", "=1"}, "got '=1'"},
      {{"--let", "x=abc"}, "--let x: 'abc' is not a finite number"},
      {{"--let", "x=1e999"}, "'1e999' is not a finite number"},
      {{"-j"}, "-j needs a number of threads"},
      {{"--jobs", "0"}, "from 1 to 64, got '0'"},
      {{"-j", "65"}, "got '65'"},
      {{"--jobs=2x"}, "got '2x'"},
      {{"-f"}, "-f needs a file name"},
      {{"1", "--file"}, "--file needs a file name"},
  };
  for (const auto& [args, problem] : cases) {
    SCOPED_TRACE(args.back());
    const Finished f = RunEval({.args = args});
    EXPECT_EQ(f.status, 2);
    EXPECT_EQ(f.out, "");
    EXPECT_TRUE(f.err.starts_with("numerella-eval: ")) << f.err;
    EXPECT_NE(f.err.find(problem), std::string::npos) << f.err;
    EXPECT_TRUE(f.err.ends_with(" (see numerella-eval --help)\n")) << f.err;
    EXPECT_EQ(std::count(f.err.begin(), f.err.end(), '\n'), 1);
  }
}

// An input that cannot be read is reported with its name and the system's reason (status
// 3); the other sources are still computed.
TEST(NumerellaEval, ReadErrors) {
  const std::string missing = ::testing::TempDir() + "numerella_eval_missing";
  unlink(missing.c_str());
  const std::string locked = TempFile("locked", "1\n");
  chmod(locked.c_str(), 0);
  const Case cases[] = {
      {{"-f", "/"}, "", 3, "", "numerella-eval: /: Is a directory\n"},
      {{"1", "-f", missing, "1/0"},
       "",
       3,
       "1\nErrore di Esecuzione\n",
       "numerella-eval: " + missing + ": No such file or directory\n"},
      {{"-f", locked, "2"}, "", 3, "2\n", "numerella-eval: " + locked + ": Permission denied\n"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[1]);
    Check(c, RunEval({.args = c.args, .unprivileged = true}));
  }
  // A directory as standard input, with one thread and with two.
  for (const char* jobs : {"1", "2"}) {
    Check({{}, "", 3, "", "numerella-eval: standard input: Is a directory\n"},
          RunEval({.args = {"-j", jobs}, .input_path = "/"}));
  }
  // An input that is the output file is refused, as a file and as standard input (appended
  // to, it would be read without end); the other sources still go to the file.
  const std::string self = TempFile("self", "1\n");
  const std::string refused = ": input file is output file\n";
  Check({{}, "", 3, "", "numerella-eval: standard input" + refused},
        RunEval({.input_path = self, .output_path = self}));
  Check({{}, "", 3, "", "numerella-eval: " + self + refused},
        RunEval({.args = {"-f", self, "2"}, .output_path = self}));
  std::ifstream written(self);
  EXPECT_EQ(std::string(std::istreambuf_iterator<char>(written), {}), "2\n");
  // Standard input closed.
  Check({{"1"}, "", 0, "1\n", ""}, RunEval({.args = {"1"}, .close_input = true}));
  Check({{}, "", 3, "", "numerella-eval: standard input: Bad file descriptor\n"},
        RunEval({.args = {}, .close_input = true}));
}

// A failed write of standard output ends the run with the system's reason and status 4.
TEST(NumerellaEval, WriteErrors) {
  std::string many;
  for (int i = 0; i < 20000; ++i) many += "1/3\n";
  const std::string full = "numerella-eval: standard output: No space left on device\n";
  const std::vector<std::string> arg_sets[] = {
      {"2+2"}, {"--json", "2+2"}, {"-h"}, {"-V"}, {}, {"-j", "2"}, {"--json", "-j", "2"}};
  for (const auto& args : arg_sets) {
    SCOPED_TRACE(args.empty() ? "stdin" : args.back());
    Check({args, "", 4, "", full},
          RunEval({.args = args, .input = many, .output_path = "/dev/full"}));
  }
  // A file size limit: the file holds the first bytes of the output, exactly.
  const std::string path = ::testing::TempDir() + "numerella_eval_limited";
  for (const char* jobs : {"1", "2"}) {
    const Finished f = RunEval(
        {.args = {"-j", jobs}, .input = many, .output_path = path, .file_size_limit = 1000});
    EXPECT_EQ(f.status, 4);
    EXPECT_EQ(f.err,
              std::string("numerella-eval: standard output: ") + std::strerror(EFBIG) + "\n");
    std::ifstream file(path, std::ios::binary);
    const std::string written((std::istreambuf_iterator<char>(file)), {});
    EXPECT_EQ(written.size(), 1000u);
    std::string expected;
    while (expected.size() < 1000) expected += ".3333333\n";
    EXPECT_EQ(written, expected.substr(0, 1000));
  }
}

// Descriptors that another program left non-blocking are waited on, not taken for errors.
TEST(NumerellaEval, NonBlockingDescriptors) {
  const auto slow = [](int fd) {
    const std::string lines = [] {
      std::string text;
      for (int i = 0; i < 50000; ++i) text += "1+1\n";
      return text;
    }();
    usleep(200000);  // nothing to read at first
    for (std::size_t sent = 0; sent < lines.size(); sent += 4096) {
      if (write(fd, lines.data() + sent, std::min<std::size_t>(4096, lines.size() - sent)) < 0)
        return;
    }
  };
  for (const char* jobs : {"1", "2"}) {
    const Finished f = RunEval({.args = {"-j", jobs}, .feed = slow, .nonblocking = true});
    EXPECT_EQ(f.status, 0);
    EXPECT_EQ(f.err, "");
    EXPECT_EQ(f.out_bytes, 100000u);
  }
}

// A reader that goes away ends the run at once and quietly: by SIGPIPE, or with status 4
// and no message when SIGPIPE is ignored.
TEST(NumerellaEval, ClosedPipe) {
  const auto endless = [](int fd) {
    const std::string lines(4096, '\n');
    while (write(fd, lines.data(), lines.size()) > 0) {
    }
  };
  for (const char* jobs : {"1", "2"}) {
    const Finished f = RunEval({.args = {"-j", jobs}, .feed = endless, .close_output_after = 1});
    EXPECT_EQ(f.signal, SIGPIPE);
    EXPECT_EQ(f.err, "");
    const Finished g = RunEval(
        {.args = {"-j", jobs}, .feed = endless, .close_output_after = 1, .ignore_sigpipe = true});
    EXPECT_EQ(g.status, 4);
    EXPECT_EQ(g.err, "");
  }
}

}  // namespace
}  // namespace numerella::cli::test
