// numerella-eval: argument handling, plain and JSON output, exit status, and the built program.
#include <gtest/gtest.h>

#include <cstdio>
#include <nlohmann/json.hpp>
#include <sstream>
#include <tuple>

#include "cli.h"

namespace numerella::cli {
namespace {

struct Outcome {
  int status;
  std::string out, err;
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

// Arguments, standard input, exit status and output; usage errors (status 2) give a message.
TEST(NumerellaEval, PlainOutputAndStatus) {
  const std::tuple<std::vector<std::string>, std::string, int, std::string> cases[] = {
      // clang-format off
      {{}, "2*(3+4)^2\n", 0, "98\n"},    {{}, "1+1\r\n2+2\r\n", 0, "2\n4\n"},
      {{"   "}, "", 0, "\n"},             {{"2*-3"}, "", 1, "***Errori di Compilazione\n"},
      {{"1", "1/0", "3"}, "", 1, "1\nErrore di Esecuzione\n3\n"},
      {{"--", "--1"}, "", 1, "***Errori di Compilazione\n"},
      // The listing's carriage returns become line ends.
      {{"--listing", "2*-3"}, "", 1,
       "*** Controllo della Funzione\n* ERR. Scrittura dell'Espressione Errata\n"},
      {{"--formula", "y@@@a,b/1.5@a+b+7"}, "", 0, "8.5\n"},
      {{"--formula", "--let", "x=2", "--let=k=0.5", "y@x@k@@x*10+k"}, "", 0, "20.5\n"},
      {{"--formula", "y@x@@@x"}, "", 0, "0\n"},
      {{"--formula", "no sections"}, "", 1, "***Errori di Compilazione\n"},
      {{"--bogus"}, "", 2, ""}, {{"--let"}, "", 2, ""}, {{"--let", "x"}, "", 2, ""},
      {{"--let", "=1"}, "", 2, ""}, {{"--let", "x=abc"}, "", 2, ""},
      {{"--let", "x=1e999"}, "", 2, ""},
      // clang-format on
  };
  for (const auto& [args, input, status, out] : cases) {
    SCOPED_TRACE(args.empty() ? input : args.back());
    const Outcome o = RunWith(args, input);
    EXPECT_EQ(o.status, status);
    EXPECT_EQ(o.out, out);
    EXPECT_EQ(o.err.empty(), status != 2) << o.err;
  }
  // A notice of the function library is a line on standard error.
  const Outcome o = RunWith({"C_X2(20003,20000)"});
  EXPECT_EQ(o.out + o.err, ".5073141\nD_X2: Errori nel Calcolo della Funzione\n");
}

TEST(NumerellaEval, JsonObjects) {
  const Outcome o =
      RunWith({"--json", "2*(3+4)^2", "1/0", "\xE9", "(0-8)^0.5", "1/3", "C_X2(20003,20000)"});
  EXPECT_EQ(std::tie(o.status, o.err), std::make_tuple(1, ""));
  std::istringstream lines(o.out);
  std::vector<nlohmann::json> objects;
  for (std::string line; std::getline(lines, line);) objects.push_back(nlohmann::json::parse(line));
  ASSERT_EQ(objects.size(), 6u);
  EXPECT_EQ(objects[0], nlohmann::json::parse(R"({"input":"2*(3+4)^2","compile_flag":0,
      "var_count":0,"par_count":0,"last_operand":3,"program":[4,1,2,1,1,3,2,0,1,108,1,0],
      "operand_map":[1,2,3,4],"value_table":[null,2,3,4,2],"listing":"","eval_error":false,
      "value":98,"registers":[98,49,4,2],"text":"98","messages":[]})"));
  // A failed division leaves the dividend, a failed power its base; values round-trip.
  // clang-format off
  const std::tuple<int, const char*, nlohmann::json> fields[] = {
      {1, "eval_error", true}, {1, "value", 1}, {1, "text", "Errore di Esecuzione"},
      {2, "compile_flag", -1}, {2, "value", nullptr}, {2, "text", "***Errori di Compilazione"},
      {3, "eval_error", true}, {3, "value", -8},  {4, "value", 1.0 / 3},
      {5, "messages", nlohmann::json::array({"Errori nel Calcolo della Funzione"})}};
  // clang-format on
  for (const auto& [i, key, value] : fields) EXPECT_EQ(objects[i][key], value) << i << key;
  // Latin-1 bytes are written as \u00XX escapes and the output stays ASCII.
  EXPECT_NE(o.out.find("\"input\":\"\\u00e9\""), std::string::npos) << o.out;
  for (unsigned char ch : o.out) EXPECT_LT(ch, 0x80);
}

// The built program: standard input streamed (none at all gives nothing), exit status, usage.
TEST(NumerellaEval, BuiltProgram) {
  const std::string eval = NUMERELLA_EVAL;
  const auto run = [](const std::string& command) {
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    std::string out;
    char buffer[4096];
    for (std::size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;) out.append(buffer, n);
    return Outcome{WEXITSTATUS(pclose(pipe)), out, ""};
  };
  EXPECT_EQ(
      run(eval + " --formula < /dev/null; yes '1+2' | head -n 100000 | " + eval + " | uniq -c").out,
      " 100000 3\n");
  const Outcome usage = run(eval + " --frobnicate");
  EXPECT_EQ(usage.status, 2);
  EXPECT_NE(usage.out.find("usage:"), std::string::npos);
  EXPECT_EQ(run(eval + " --help").status, 0);
}

}  // namespace
}  // namespace numerella::cli
