// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON objects of numerella-eval: byte for byte those that a JSON document library builds
// from the same outcome, over formulas of every kind.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <random>

#include "formula_runner.h"
#include "json_output.h"

namespace numerella::cli {
namespace {

// The object as a document: texts turned from Latin-1 into UTF-8, dumped as ASCII.
std::string Utf8(std::string_view bytes) {
  std::string out;
  for (unsigned char c : bytes) {
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

nlohmann::json Number(const Value& v) {
  if (!v || !std::isfinite(*v)) return nullptr;
  return *v;
}

nlohmann::json Values(const std::vector<Value>& values) {
  nlohmann::json array = nlohmann::json::array();
  for (const Value& v : values) array.push_back(Number(v));
  return array;
}

nlohmann::json Codes(const std::string& codes) {
  nlohmann::json array = nlohmann::json::array();
  for (std::size_t i = 0; i < codes.size(); ++i) array.push_back(CodeAt(codes, i));
  return array;
}

// bindings: the ValueTable entries that the options' lets give values to.
std::string DocumentLine(const Options& options, std::string_view input,
                         const std::vector<Binding>& bindings) {
  using Kind = CalculationOutcome::Kind;
  Compiler compiler;
  NoticeList notices;
  const CalculationOutcome o =
      options.whole_formula ? RunCompileText(compiler, input, options.listing, bindings, &notices)
                            : RunFormula(compiler, input, options.listing, &notices);
  nlohmann::json messages = nlohmann::json::array();
  for (const std::string& text : notices.texts) messages.push_back(Utf8(text));
  const std::string shown = o.kind == Kind::kResult  ? o.result_text
                            : o.kind == Kind::kBlank ? ""
                                                     : o.message;
  nlohmann::ordered_json j;
  j["input"] = Utf8(input);
  j["compile_flag"] = o.program.CompileFlag == 0 ? 0 : -1;
  j["var_count"] = o.program.VarCount;
  j["par_count"] = o.program.ParCount;
  j["last_operand"] = o.program.LastOperand;
  j["program"] = Codes(o.program.Program);
  j["operand_map"] = Codes(o.program.OperandMap);
  j["value_table"] = Values(o.program.ValueTable);
  j["listing"] = Utf8(o.kind == Kind::kBlank ? "" : compiler.CompileListing());
  j["eval_error"] = o.kind == Kind::kEvalFailed;
  j["value"] = o.kind == Kind::kResult || o.kind == Kind::kEvalFailed ? Number(o.value) : nullptr;
  j["registers"] = Values(o.registers);
  j["text"] = Utf8(shown);
  j["messages"] = std::move(messages);
  // The fields added since: where the first compile error lies, the readable program.
  const std::optional<TextSpan> span = o.kind != Kind::kCompileFailed ? std::nullopt
                                       : options.whole_formula
                                           ? compiler.ErrorSpan()
                                           : compiler.ErrorSpanFrom(kTypedFormulaHead.size());
  j["error_position"] = nullptr;
  if (span) j["error_position"] = {{"offset", span->offset}, {"length", span->length}};
  if (options.program) j["program_text"] = ProgramText(o.program.Program);
  return j.dump(-1, ' ', true) + "\n";
}

// Formulas with numbers of every magnitude and shape, functions, failures and notices.
std::vector<std::string> VariedFormulas() {
  std::vector<std::string> out = {
      "2*(3+4)^2",
      "1/0",
      "(0-8)^0.5",
      "1/3",
      "C_X2(20003,20000)",
      "",
      "   ",
      "2*-3",
      "1,5",
      "-0",
      "0*-1",
      "1E308*10",
      "1E-320",
      "4.9E-324",
      "123456789012345678",
      "0.1+0.2",
      "SUM(1,2,3,4,5,6,7,8,9,10)",
      "AVG(STD(1,2,3),GAM(5))",
      "LNGAM(0.5)",
      "EXP(710)",
      "\"quoted\\\"",
      "a\tb",
      "SIN(\x7F)",
      "x y",
  };
  for (int b = 0; b < 256; ++b) {
    out.push_back(std::string(1, static_cast<char>(b)));
    out.push_back("1+" + std::string(1, static_cast<char>(b)) + "2");
  }
  std::mt19937_64 random(20261207);
  const char* functions[] = {"SIN", "COS", "EXP", "LOG", "SQR", "ATAN", "GAM", "C_N", "D_T"};
  const char* ops = "+-*/^";
  for (int i = 0; i < 3000; ++i) {
    std::string f;
    const int terms = 1 + static_cast<int>(random() % 6);
    for (int t = 0; t < terms; ++t) {
      if (t > 0) f += ops[random() % 5];
      char number[40];
      const double mantissa = std::ldexp(static_cast<double>(random() >> 11), -53);
      const int exponent = static_cast<int>(random() % 40) - 20;
      std::snprintf(number, sizeof number, random() % 2 ? "%.17g" : "%.6g",
                    mantissa * std::pow(10.0, exponent));
      if (random() % 3 == 0) {
        f += std::string(functions[random() % std::size(functions)]) + "(" + number +
             (random() % 2 ? ",1)" : ")");
      } else {
        f += number;
      }
    }
    out.push_back(f);
  }
  return out;
}

TEST(NumerellaEvalJson, SameBytesAsTheDocument) {
  const std::vector<std::string> formulas = VariedFormulas();
  // Formula texts with the ValueTable entry of the name x (0: not declared).
  const std::pair<std::string, int> texts[] = {
      {"y@x@k@c,d/1.5,2E300@x*c+k*d", 1},
      {"y@x@@@x^10", 1},
      {"y@@@a/1E400@LNGAM(2)+a", 0},
      {"no sections", 0},
      {"y@1b,alpha@x@k/2.5@x+k", 3},
      {"y@x@@@\xE9", 1},
      {"h\xE9@@@@1", 0},
      {"y@a,x@@@a+x", 2},
  };
  const std::vector<std::string> option_sets[] = {
      {"--json"},
      {"--json", "--listing", "--program"},
      {"--json", "--formula", "--let", "x=2.5"},
      {"--json", "--formula", "--listing", "--program"}};
  int compared = 0;
  for (const auto& args : option_sets) {
    std::string error;
    const Options options = *ParseArguments(args, error);
    FormulaRunner runner(options);
    std::vector<std::pair<std::string, int>> inputs;
    for (const std::string& f : formulas) inputs.push_back({f, 0});
    if (options.whole_formula) inputs.assign(std::begin(texts), std::end(texts));
    for (const auto& [input, x_entry] : inputs) {
      std::vector<Binding> bindings;
      if (x_entry != 0 && !options.lets.empty())
        bindings.push_back({x_entry, options.lets[0].value});
      std::string out, err;
      runner.Run(input, out, err);
      EXPECT_EQ(out, DocumentLine(options, input, bindings)) << input;
      EXPECT_EQ(err, "");
      ++compared;
    }
  }
  EXPECT_GT(compared, 3500);
}

// Numbers around the edges of the whole-number form, and random ones of every magnitude.
TEST(NumerellaEvalJson, NumbersAsTheDocumentLibraryWritesThem) {
  std::vector<double> values = {0.0,
                                -0.0,
                                1,
                                -1,
                                0.5,
                                9,
                                10,
                                99,
                                100,
                                1e14,
                                999999999999999,
                                1e15,
                                1e15 + 2,
                                1e16,
                                9007199254740992.0,
                                1e300,
                                -1e15,
                                -999999999999999,
                                123456.75,
                                1e-5,
                                0.0001,
                                1.5e-300,
                                5e-324,
                                1.7976931348623157e308,
                                std::nextafter(1.0, 2.0),
                                std::nextafter(1e15, 0.0)};
  std::mt19937_64 random(7);
  for (int i = 0; i < 20000; ++i) {
    const double mantissa = std::ldexp(static_cast<double>(random() >> 11), -53);
    const double v = mantissa * std::pow(10.0, static_cast<int>(random() % 60) - 30);
    values.push_back(i % 2 ? v : std::round(v));
  }
  for (double v : values) {
    std::string ours;
    AppendJsonValue(ours, v);
    ASSERT_EQ(ours, nlohmann::json(v).dump()) << v;
  }
  std::string empty;
  AppendJsonValue(empty, Value());
  AppendJsonValue(empty, HUGE_VAL);
  EXPECT_EQ(empty, "nullnull");
}

// What the fields mean, on a few formulas.
TEST(NumerellaEvalJson, Fields) {
  std::string error;
  const Options options = *ParseArguments({"--json"}, error);
  FormulaRunner runner(options);
  const auto object = [&runner](const std::string& formula) {
    std::string out, err;
    runner.Run(formula, out, err);
    return nlohmann::json::parse(out);
  };
  EXPECT_EQ(object("2*(3+4)^2"), nlohmann::json::parse(R"({"input":"2*(3+4)^2","compile_flag":0,
      "var_count":0,"par_count":0,"last_operand":3,"program":[4,1,2,1,1,3,2,0,1,108,1,0],
      "operand_map":[1,2,3,4],"value_table":[null,2,3,4,2],"listing":"","eval_error":false,
      "value":98,"registers":[98,49,4,2],"text":"98","messages":[],"error_position":null})"));
  // A failed division leaves the dividend, a failed power its base; values round-trip.
  const std::tuple<const char*, const char*, nlohmann::json> fields[] = {
      {"1/0", "eval_error", true},
      {"1/0", "value", 1},
      {"1/0", "text", "Errore di Esecuzione"},
      {"\xE9", "compile_flag", -1},
      {"\xE9", "value", nullptr},
      {"(0-8)^0.5", "value", -8},
      {"1/3", "value", 1.0 / 3},
      {"C_X2(20003,20000)", "messages",
       nlohmann::json::array({"Errori nel Calcolo della Funzione"})}};
  for (const auto& [formula, key, value] : fields)
    EXPECT_EQ(object(formula)[key], value) << formula;
}

// error_position: byte offset and length of what the first compile error is about, in the
// typed text or (with --formula) in the whole formula text; null when there is none.
TEST(NumerellaEvalJson, ErrorPosition) {
  const std::tuple<std::vector<std::string>, const char*, nlohmann::json> cases[] = {
      {{}, "x+1", {{"offset", 0}, {"length", 1}}},
      {{}, "1+alpha", {{"offset", 2}, {"length", 5}}},
      {{}, "SIN(ABS(1,2),3)", {{"offset", 4}, {"length", 8}}},
      {{"--listing"}, "  (1+2))", {{"offset", 7}, {"length", 1}}},
      {{}, "1+1", nullptr},
      {{}, "1/0", nullptr},
      {{}, "  ", nullptr},
      {{"--formula"}, "y@x,1b,alpha@x@k/2.5@x+k", {{"offset", 7}, {"length", 5}}},
      {{"--formula"}, "y@@@@x", {{"offset", 5}, {"length", 1}}},
      {{"--formula"}, "no sections", nullptr},
  };
  for (const auto& [args, formula, position] : cases) {
    std::vector<std::string> with_json = args;
    with_json.push_back("--json");
    std::string error;
    const Options options = *ParseArguments(with_json, error);
    FormulaRunner runner(options);
    // After a failing formula, so that nothing of an earlier compilation is left over.
    std::string out, err;
    runner.Run("x", out, err);
    out.clear();
    runner.Run(formula, out, err);
    EXPECT_EQ(nlohmann::json::parse(out)["error_position"], position) << formula;
  }
}

}  // namespace
}  // namespace numerella::cli
