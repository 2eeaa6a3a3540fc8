// numerella-eval: argument handling, plain and JSON output, exit status, and the real binary.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli.h"

namespace numerella::cli {
namespace {

struct Outcome {
  int status;
  std::string out;
  std::string err;
};

Outcome RunWith(const std::vector<std::string>& args, const std::string& input = "") {
  std::string error;
  const auto options = ParseArguments(args, error);
  if (!options) return {2, "", error};
  std::istringstream in(input);
  std::ostringstream out, err;
  const int status = Run(*options, in, out, err);
  return {status, out.str(), err.str()};
}

TEST(NumerellaEval, PlainOutput) {
  const struct {
    std::vector<std::string> args;
    std::string input;
    int status;
    std::string out;
  } cases[] = {
      {{}, "2*(3+4)^2\n", 0, "98\n"},
      {{"1/2", "-1/4"}, "", 0, ".5\n-.25\n"},
      {{}, "1+1\r\n2+2\r\n", 0, "2\n4\n"},
      {{"1/0"}, "", 1, "Errore di Esecuzione\n"},
      {{"2*-3"}, "", 1, "***Errori di Compilazione\n"},
      {{"1", "1/0", "3"}, "", 1, "1\nErrore di Esecuzione\n3\n"},
      {{"   "}, "", 0, "\n"},
      {{"--", "--1"}, "", 1, "***Errori di Compilazione\n"},
      {{"--formula", "y@@@a,b/1.5@a+b+7"}, "", 0, "8.5\n"},
      {{"--formula", "--let", "x=2", "--let=k=0.5", "y@x@k@@x*10+k"}, "", 0, "20.5\n"},
      {{"--formula", "--let", "x=2", "y@x@@@x"}, "", 0, "2\n"},
      {{"--formula", "y@x@@@x"}, "", 0, "0\n"},
      {{"--formula", "no sections"}, "", 1, "***Errori di Compilazione\n"},
  };
  for (const auto& c : cases) {
    const Outcome o = RunWith(c.args, c.input);
    EXPECT_EQ(o.status, c.status) << c.out;
    EXPECT_EQ(o.out, c.out);
  }
}

TEST(NumerellaEval, ListingLinesBecomeLineEnds) {
  const Outcome o = RunWith({"--listing", "2*-3"});
  EXPECT_EQ(o.status, 1);
  EXPECT_EQ(o.out.find('\r'), std::string::npos);
  EXPECT_NE(o.out.find("* ERR."), std::string::npos) << o.out;
  EXPECT_EQ(o.out.back(), '\n');
}

TEST(NumerellaEval, UsageErrors) {
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--bogus"}, {"--let"}, {"--let", "x"}, {"--let", "=1"}, {"--let", "x=abc"},
           {"--let", "x=1e999"}}) {
    EXPECT_EQ(RunWith(args).status, 2) << args[0];
  }
}

TEST(NumerellaEval, JsonFields) {
  const Outcome o = RunWith({"--json", "2*(3+4)^2", "1/0", "\xE9", "(0-8)^0.5"});
  std::istringstream lines(o.out);
  std::string line;
  std::vector<nlohmann::json> objects;
  while (std::getline(lines, line)) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 4u);

  const nlohmann::json& ok = objects[0];
  EXPECT_EQ(ok["input"], "2*(3+4)^2");
  EXPECT_EQ(ok["compile_flag"], 0);
  EXPECT_EQ(ok["last_operand"], 3);
  EXPECT_EQ(ok["program"], nlohmann::json({4, 1, 2, 1, 1, 3, 2, 0, 1, 108, 1, 0}));
  EXPECT_EQ(ok["operand_map"], nlohmann::json({1, 2, 3, 4}));
  EXPECT_EQ(ok["value_table"], nlohmann::json::parse("[null,2,3,4,2]"));
  EXPECT_EQ(ok["registers"], nlohmann::json({98, 49, 4, 2}));
  EXPECT_EQ(ok["value"], 98);
  EXPECT_EQ(ok["eval_error"], false);
  EXPECT_EQ(ok["text"], "98");
  EXPECT_EQ(ok["messages"], nlohmann::json::array());

  EXPECT_EQ(objects[1]["eval_error"], true);
  EXPECT_EQ(objects[1]["value"], 1);  // the failed division leaves the dividend
  EXPECT_EQ(objects[1]["text"], "Errore di Esecuzione");
  // Likewise the failed power leaves its base.
  EXPECT_EQ(objects[3]["eval_error"], true);
  EXPECT_EQ(objects[3]["value"], -8);

  EXPECT_EQ(objects[2]["compile_flag"], -1);
  EXPECT_EQ(objects[2]["text"], "***Errori di Compilazione");
  // Latin-1 bytes are written as \u00XX escapes and the line stays ASCII.
  EXPECT_NE(o.out.find("\"input\":\"\\u00e9\""), std::string::npos) << o.out;
  for (unsigned char ch : o.out) EXPECT_LT(ch, 0x80);
  EXPECT_EQ(o.status, 1);
}

TEST(NumerellaEval, JsonValueRoundTrips) {
  const Outcome o = RunWith({"--json", "1/3"});
  const nlohmann::json j = nlohmann::json::parse(o.out);
  EXPECT_EQ(j["value"].get<double>(), 1.0 / 3);
  EXPECT_EQ(j["text"], ".3333333");
}

// The built program: standard input, exit status, usage message.
Outcome RunBinary(const std::string& shell_args) {
  const std::string command = std::string(NUMERELLA_EVAL) + " " + shell_args + " 2>&1";
  FILE* pipe = popen(command.c_str(), "r");
  std::string out;
  char buffer[4096];
  for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
  const int status = pclose(pipe);
  return {WEXITSTATUS(status), out, ""};
}

TEST(NumerellaEval, BinaryReadsStandardInput) {
  Outcome o = RunBinary("< /dev/null");
  EXPECT_EQ(o.status, 0);
  EXPECT_EQ(o.out, "");
  o = RunBinary("--json '2*(3+4)^2' | head -c 12; echo '2*(3+4)^2' | " +
                std::string(NUMERELLA_EVAL));
  EXPECT_EQ(o.out, "{\"input\":\"2*98\n");
  o = RunBinary("--frobnicate");
  EXPECT_EQ(o.status, 2);
  EXPECT_NE(o.out.find("usage:"), std::string::npos);
  o = RunBinary("--help");
  EXPECT_EQ(o.status, 0);
}

TEST(NumerellaEval, BinaryStreamsManyLines) {
  const Outcome o = RunBinary("--formula < /dev/null; yes '1+2' | head -n 100000 | " +
                              std::string(NUMERELLA_EVAL) + " | uniq -c");
  EXPECT_EQ(o.out, " 100000 3\n");
}

}  // namespace
}  // namespace numerella::cli
