// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval over streams: lines of any length in bounded memory, several threads with
// the same output as one, and answers that come at once to a program that waits for them.
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <thread>

#include "eval_process.h"
#include "formula_runner.h"
#include "line_reader.h"

namespace numerella::cli::test {
namespace {

// The reader's events as text: "line|", or "first~+piece+piece|" for a long line; "$" at the
// end, "!" on an error.
std::string ReadAll(int fd, std::size_t longest) {
  LineReader reader(fd, longest, [] {});
  std::string events;
  for (std::string_view line;;) {
    switch (reader.Next(line)) {
      case LineReader::Result::kLine:
        events += std::string(line) + "|";
        break;
      case LineReader::Result::kLongLine:
        events += std::string(line) + "~";
        reader.Rest([&](std::string_view piece) { events += "+" + std::string(piece); });
        events += "|";
        break;
      case LineReader::Result::kEnd:
        return events + "$";
      case LineReader::Result::kError:
        return events + "!";
    }
  }
}

// Each piece arrives as one read (a packet socket keeps the boundaries).
TEST(LineReader, PiecesAndCarriageReturns) {
  const std::tuple<std::vector<std::string>, std::size_t, std::string> cases[] = {
      {{"ab\ncd"}, 10, "ab|cd|$"},
      {{"ab\r\n", "\r\n", "\r"}, 10, "ab|||$"},
      {{"a\rb\n"}, 10, "a\rb|$"},
      {{"a", "b", "c\nd"}, 3, "abc|d|$"},
      {{"abcdef\n"}, 3, "abc~+def|$"},
      // A carriage return at the end of a read is held until the next byte shows whether
      // it ends the line.
      {{"abc", "de\r", "\nx"}, 3, "abc~+de|x|$"},
      {{"abc", "de\r", "f\n"}, 3, "abc~+de+\r+f|$"},
      {{"abc", "de\r", "\r", "\n"}, 3, "abc~+de+\r|$"},
      {{"abcd\r"}, 3, "abc~+d|$"},
      {{"abc\r\n"}, 3, "abc~|$"},
      {{"abcdefgh", "ijk", "l\nm"}, 2, "ab~+cdefgh+ijk+l|m|$"},
  };
  for (const auto& [pieces, longest, events] : cases) {
    int fds[2];
    ASSERT_EQ(socketpair(AF_UNIX, SOCK_SEQPACKET, 0, fds), 0);
    for (const std::string& piece : pieces)
      ASSERT_EQ(write(fds[1], piece.data(), piece.size()), static_cast<ssize_t>(piece.size()));
    close(fds[1]);
    EXPECT_EQ(ReadAll(fds[0], longest), events) << pieces[0];
    close(fds[0]);
  }
}

// What the program writes for whole lines, computed in this process with the line kept whole.
std::string Expected(const std::vector<std::string>& args, const std::vector<std::string>& lines,
                     std::string* err = nullptr) {
  std::string error;
  const Options options = *ParseArguments(args, error);
  FormulaRunner runner(options);
  std::string out, notices;
  for (const std::string& line : lines) runner.Run(line, out, notices);
  if (err != nullptr) *err = notices;
  return out;
}

std::string Repeat(const std::string& text, std::size_t n) {
  std::string out;
  for (std::size_t i = 0; i < n; ++i) out += text;
  return out;
}

// Lines beyond what the compiler accepts pass through in pieces and give the outcome of the
// whole line: rejected for their length, blank, or (a formula text with a long head) computed.
TEST(NumerellaEval, LongLinesGiveTheOutcomeOfTheWholeLine) {
  const std::string blanks(32766, ' ');
  const std::vector<std::string> typed = {
      "1" + blanks,
      "1" + blanks + " ",
      "1" + blanks + "  ",
      std::string(40000, ' '),
      std::string(40000, ' ') + "1",
      Repeat("\xE9\"\\\t\x01", 20000),
      Repeat("\r", 70000) + "1",
      Repeat("1+", 20000) + "1",
  };
  const std::vector<std::string> texts = {
      std::string(100000, 'h') + "@x@@@x+1",
      "y@" + std::string(40000, 'x') + "@@@1",
      "y@@@@" + Repeat("1+", 20000) + "1",
      "y@" + std::string(40000, '1'),
      std::string(70000, 'h'),
      "y@@@@1" + blanks,
      "y@@@@" + std::string(40000, '@'),
      Repeat("h@", 40000),
      "y@x@@@x" + std::string(100000, ' '),
      // Error positions after a long head.
      std::string(100000, 'h') + "@x@@@x+q",
      std::string(50000, 'h') + "@" + std::string(40000, 'x') + "@@@1",
  };
  const std::pair<std::vector<std::string>, const std::vector<std::string>*> modes[] = {
      {{}, &typed},
      {{"--listing"}, &typed},
      {{"--json"}, &typed},
      {{"--formula", "--let", "x=3"}, &texts},
      {{"--formula", "--listing"}, &texts},
      {{"--formula", "--json", "--listing"}, &texts},
  };
  for (const auto& [args, lines] : modes) {
    for (const std::string& line : *lines) {
      SCOPED_TRACE((args.empty() ? "" : args.back()) + " " + line.substr(0, 12));
      // The line, a short one, the line again ended by CR LF, and once more without a line end.
      const std::string input = line + "\n2+2\n" + line + "\r\n" + line;
      const std::string expected = Expected(args, {line, "2+2", line, line});
      for (const char* jobs : {"1", "2"}) {
        std::vector<std::string> with_jobs = args;
        with_jobs.insert(with_jobs.end(), {"-j", jobs});
        const Finished f = RunEval({.args = with_jobs, .input = input});
        EXPECT_EQ(f.out, expected);
      }
    }
  }
}

// A 100 MB line without a line end is never held in memory, nor are 8 MB of empty lines
// waiting for threads.
TEST(NumerellaEval, HugeInputsInBoundedMemory) {
  const auto feed = [](char byte, std::size_t size) {
    return [byte, size](int fd) {
      const std::string chunk(1 << 16, byte);
      for (std::size_t sent = 0; sent < size; sent += chunk.size()) {
        if (write(fd, chunk.data(), chunk.size()) != static_cast<ssize_t>(chunk.size())) return;
      }
    };
  };
  constexpr std::size_t kLine = 100u << 20, kEmpty = 8u << 20;
  // The object of a shorter line of the same kind, its input left out; the error position
  // covers the whole line.
  std::string rest_of_json = Expected({"--json"}, {std::string(40000, 'x')}).substr(40000);
  const std::size_t length = rest_of_json.find("\"length\":40000}");
  ASSERT_NE(length, std::string::npos) << rest_of_json;
  rest_of_json.replace(length, 15, "\"length\":" + std::to_string(kLine) + "}");
  const std::tuple<std::vector<std::string>, char, std::size_t, int, std::size_t> cases[] = {
      {{}, 'x', kLine, 1, 26},
      {{"--json"}, 'x', kLine, 1, kLine + rest_of_json.size()},
      {{"--formula", "-j", "2"}, 'x', kLine, 1, 26},
      {{"-j", "2"}, '\n', kEmpty, 0, kEmpty},
  };
  for (const auto& [args, byte, size, status, out_bytes] : cases) {
    const Finished f = RunEval({.args = args, .feed = feed(byte, size), .keep_output = 64});
    EXPECT_EQ(f.status, status);
    EXPECT_EQ(f.out_bytes, out_bytes);
    // A sanitizer's own memory (shadow, quarantine) is beyond the program's bound.
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
    EXPECT_GT(f.peak_kib, 0);
    EXPECT_LT(f.peak_kib, 16 * 1024);
#endif
  }
}

// With several threads the output, standard error and status are those of one thread.
TEST(NumerellaEval, ThreadsGiveTheSameOutput) {
  const char* formulas[] = {"2*(3+4)^2",
                            "SIN(0.5)^2+COS(0.5)^2",
                            "C_X2(20003,20000)",
                            "1/0",
                            "2*-3",
                            "",
                            "  \r",
                            "\xE9+1",
                            "D_B(3,10,0.3)+C_T(2.015,5)",
                            "1/3"};
  std::string input;
  for (int i = 0; i < 60000; ++i) {
    input += formulas[i % std::size(formulas)];
    input += "\n";
    if (i == 30000) input += std::string(50000, '7') + "\n";
  }
  const std::vector<std::string> arg_sets[] = {{}, {"--json"}, {"--listing"}};
  for (const auto& args : arg_sets) {
    std::vector<std::string> one = args;
    one.insert(one.end(), {"-j", "1"});
    const Finished reference = RunEval({.args = one, .input = input});
    EXPECT_EQ(reference.status, 1);
    for (const char* jobs : {"2", "3", "8"}) {
      std::vector<std::string> many = args;
      many.insert(many.end(), {"-j", jobs});
      const Finished f = RunEval({.args = many, .input = input});
      EXPECT_EQ(f.status, reference.status);
      EXPECT_TRUE(f.out == reference.out) << jobs;
      EXPECT_EQ(f.err, reference.err);
    }
  }
}

// When the system gives no threads, one thread does the work.
TEST(NumerellaEval, ThreadsRefused) {
  std::string input;
  for (int i = 0; i < 20000; ++i) input += i % 3 ? "1/3\n" : "1/0\n";
  const Finished one = RunEval({.args = {}, .input = input});
  const Finished f =
      RunEval({.args = {"-j", "4"}, .input = input, .unprivileged = true, .no_threads = true});
  EXPECT_EQ(f.status, 1);
  EXPECT_EQ(f.err, "");
  EXPECT_TRUE(f.out == one.out);
}

// A program that sends one line and waits gets the answer before it sends the next.
TEST(NumerellaEval, AnswersComeAtOnce) {
  const std::vector<std::string> arg_sets[] = {{}, {"-j", "2"}, {"--json"}, {"-f", "-"}};
  for (const auto& args : arg_sets) {
    std::string answers;
    const auto converse = [&answers](int in, int out) {
      for (const char* formula : {"1+1\n", "1/0\n", "2*3\n"}) {
        ASSERT_EQ(write(in, formula, 4), 4);
        // Up to the line end of the answer, waiting at most ten seconds for each piece.
        for (char c = 0; c != '\n';) {
          pollfd p{out, POLLIN, 0};
          ASSERT_EQ(poll(&p, 1, 10000), 1) << "no answer to " << formula;
          ASSERT_EQ(read(out, &c, 1), 1);
          answers += c;
        }
      }
    };
    RunEval({.args = args, .converse = converse});
    EXPECT_EQ(answers, Expected(args, {"1+1", "1/0", "2*3"}));
  }
}

}  // namespace
}  // namespace numerella::cli::test
