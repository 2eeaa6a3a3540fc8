// SPDX-License-Identifier: GPL-3.0-or-later
// The compiler against the previous one, side by side: the fuzz corpora and a generated set of
// formulas (declarations, errors of every kind, listing on and off, long texts) must compile
// to the same outputs, byte for byte.
#include "reference/differential.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

#include "compiler/compiled_program.h"

namespace numerella {
namespace {

using reference::CompareCompilers;
using reference::DifferentialCount;

// Pieces of expressions: every kind of operand, operator and mark, in any case, and the
// near misses of each.
const std::vector<std::string> kExpressionPieces = {"1",
                                                    "2",
                                                    "0",
                                                    "7.5",
                                                    ".5",
                                                    "5.",
                                                    "1e3",
                                                    "1E-3",
                                                    "2e+2",
                                                    "1.5.2",
                                                    ".",
                                                    "1e",
                                                    "1E+",
                                                    "1e+x",
                                                    "1D5",
                                                    "2(3",
                                                    "1E999",
                                                    "1e-999",
                                                    "12345678901234567890",
                                                    "0.000000000000000000001",
                                                    "\xe0",
                                                    "1\xe0",
                                                    "x",
                                                    "y",
                                                    "k",
                                                    "ab",
                                                    "abc",
                                                    "abcd",
                                                    "alpha",
                                                    "X",
                                                    "AB",
                                                    "@@00",
                                                    "@@01",
                                                    "@@5",
                                                    "@@99",
                                                    "@@",
                                                    "a_1",
                                                    "Z9",
                                                    "#",
                                                    "##",
                                                    "##07",
                                                    "##98",
                                                    "##99",
                                                    "##7",
                                                    "#5",
                                                    "@",
                                                    "$",
                                                    "+",
                                                    "-",
                                                    "*",
                                                    "/",
                                                    "^",
                                                    "+",
                                                    "-",
                                                    "*",
                                                    ",",
                                                    ",",
                                                    "(",
                                                    "(",
                                                    "(",
                                                    ")",
                                                    ")",
                                                    ")",
                                                    " ",
                                                    "  ",
                                                    "ABS(",
                                                    "abs(",
                                                    "SQR(",
                                                    "sqrt(",
                                                    "EXP(",
                                                    "LOG(",
                                                    "ASIN(",
                                                    "asin(",
                                                    "ACOS(",
                                                    "ATAN(",
                                                    "SIN(",
                                                    "Sin(",
                                                    "COS(",
                                                    "TAN(",
                                                    "SGN(",
                                                    "LNGAM(",
                                                    "lngam(",
                                                    "GAM(",
                                                    "SUM(",
                                                    "AVG(",
                                                    "STD(",
                                                    "D_B(",
                                                    "C_B(",
                                                    "D_P(",
                                                    "C_P(",
                                                    "D_N(",
                                                    "C_N(",
                                                    "D_X2(",
                                                    "C_X2(",
                                                    "d_x2(",
                                                    "D_T(",
                                                    "C_T(",
                                                    "D_F(",
                                                    "C_F(",
                                                    "P(",
                                                    "p(",
                                                    "Q(",
                                                    "A(",
                                                    "a(",
                                                    "INT(",
                                                    "XSIN(",
                                                    "SINX(",
                                                    "AP(",
                                                    "D_A(",
                                                    "SGAM(",
                                                    "2SIN(",
                                                    "_P(",
                                                    "SIN (",
                                                    "SIN",
                                                    "SUM"};

// Declared names: valid, long, empty, with bad characters, and names of literals and marks.
const std::vector<std::string> kNamePieces = {"x",
                                              "y",
                                              "k",
                                              "ab",
                                              "abc",
                                              "abcd",
                                              "xabc",
                                              "d",
                                              "alpha",
                                              "beta5",
                                              "",
                                              "1a",
                                              "a$",
                                              "$a",
                                              "\xe0"
                                              "b",
                                              "a_1",
                                              "X",
                                              "@@00",
                                              "@@01",
                                              "a b",
                                              " x ",
                                              "v1",
                                              "v2",
                                              "P",
                                              "SIN",
                                              "q(",
                                              "#"};

const std::vector<std::string> kValuePieces = {"1",
                                               "2.5",
                                               "-2.5e1x",
                                               "abc",
                                               "+.5",
                                               "1.5e",
                                               "1E999",
                                               "-1E999",
                                               " - 4",
                                               "7.",
                                               "",
                                               "1.2.3",
                                               "12345678901234567890123456",
                                               "0.0001e-2"};

class FormulaMaker {
 public:
  explicit FormulaMaker(unsigned seed) : random_(seed) {}

  std::string Expression(int pieces) {
    std::string out;
    for (int i = 0; i < pieces; ++i) out += Pick(kExpressionPieces);
    return out;
  }

  // A list of declared names, sometimes empty.
  std::string Names(int most) {
    const int count = Below(most + 1);
    std::string out;
    for (int i = 0; i < count; ++i) out += (i ? "," : "") + Pick(kNamePieces);
    return out;
  }

  std::string Constants() {
    std::string out = Names(4);
    if (Below(3) > 0) {
      out += "/";
      const int count = Below(4);
      for (int i = 0; i < count; ++i) out += (i ? "," : "") + Pick(kValuePieces);
    }
    return out;
  }

  std::string Formula() {
    const int kind = Below(10);
    declared_.clear();
    if (kind <= 2) return std::string("y@ @ @ @") + Expression(1 + Below(kind == 0 ? 400 : 24));
    if (kind <= 5)
      return std::string("y@ @ @ @") + Arithmetic(0);  // as the calculation run writes it
    const std::string variables = Names(5);
    const std::string parameters = Names(4);
    const std::string constants = Constants();
    for (const std::string* list : {&variables, &parameters, &constants}) {
      std::size_t start = 0;
      const std::size_t end = list->find('/');
      while (start <= std::min(end, list->size())) {
        const std::size_t comma = std::min({list->find(',', start), end, list->size()});
        if (comma > start) declared_.push_back(list->substr(start, comma - start));
        start = comma + 1;
      }
    }
    const std::string expression = kind <= 7 ? Arithmetic(0) : Expression(1 + Below(24));
    return Pick(std::vector<std::string>{"", "y", "head"}) + "@" + variables + "@" + parameters +
           "@" + constants + "@" + expression;
  }

  // Well-formed expressions over numbers, declared names, calls (with the right argument
  // count or not), groups, lists and signs, so that the syntax check and the generation run.
  std::string Arithmetic(int depth) {
    std::string out = Below(6) == 0 ? Pick(std::vector<std::string>{"-", "+", " - "}) : "";
    const int terms = 1 + Below(depth > 2 ? 2 : 4);
    for (int i = 0; i < terms; ++i) {
      if (i > 0) out += Pick(std::vector<std::string>{"^", "*", "/", "+", "-", " + ", "*"});
      out += Term(depth);
    }
    return out;
  }

  std::string Term(int depth) {
    static const std::vector<std::string> numbers = {
        "1", "2", "2.5", ".5", "7.", "1e3", "1E-3", "0", "12345678901234567890", "3"};
    switch (Below(depth > 2 ? 3 : 8)) {
      case 0:
      case 1:
        return Pick(numbers);
      case 2:
        if (!declared_.empty() && Below(3) > 0) return Pick(declared_);
        return Below(10) == 0 ? std::string("@@0") + std::to_string(Below(10)) : Pick(numbers);
      case 3:
        return std::string("(") + Arithmetic(depth + 1) + ")";
      case 4:
        return std::string("(") + Arithmetic(depth + 1) + "," + Arithmetic(depth + 1) + ")";
      case 5:
        return std::string("(-") + Term(depth + 1) + ")";
      default: {
        const IntrinsicInfo& f = kIntrinsics[Below(kFunctionCount)];
        std::string name(f.name);
        for (char& c : name) c = Below(3) == 0 ? static_cast<char>(std::tolower(c)) : c;
        const int wanted = f.arguments == kAnyCount ? 1 + Below(4) : f.arguments;
        const int count = Below(12) == 0 ? 1 + Below(4) : wanted;
        std::string out = name + (Below(8) == 0 ? " (" : "(");
        for (int k = 0; k < count; ++k) out.append(k ? "," : "").append(Arithmetic(depth + 1));
        return out + ")";
      }
    }
  }

  int Below(int n) { return static_cast<int>(random_() % static_cast<unsigned>(n)); }

 private:
  const std::string& Pick(const std::vector<std::string>& pieces) {
    return pieces[random_() % pieces.size()];
  }

  std::mt19937 random_;
  std::vector<std::string> declared_;
};

// Long texts: the worst shapes of every pass, at and around the limits.
std::vector<std::string> LongFormulas() {
  const auto repeat = [](std::string_view unit, std::size_t times) {
    std::string out;
    while (times-- > 0) out += unit;
    return out;
  };
  const auto typed = [](const std::string& text) { return std::string("y@ @ @ @") + text; };
  std::vector<std::string> out = {
      typed(repeat("(", 16378) + "1" + repeat(")", 16378)),
      typed(repeat("(", 16379) + "1" + repeat(")", 16379)),
      typed(repeat("+", 32766) + "1"),
      typed(std::string("1") + repeat("+", 32765) + "1"),
      typed(repeat("SIN(", 5000) + "1" + repeat(")", 5000)),
      typed(repeat("P(", 5459) + "1" + repeat(")", 5459)),
      typed(repeat("P(", 5460) + "1" + repeat(")", 5460)),
      typed(repeat("LNGAM(", 4681) + "1" + repeat(")", 4681)),
      typed(std::string("1.") + std::string(32763, '0')),
      typed(std::string("1.") + std::string(32764, '0')),
      typed(repeat("x+", 16383) + "x"),
      typed(repeat("1+", 16383) + "1"),
      typed(repeat("1.1.,", 6552) + "1.1.1.1"),
      typed(std::string(32767, 'a')),
      typed(std::string(32767, '#')),
      typed(repeat("##07(", 5000) + "1" + repeat(")", 5000)),
      typed(std::string("1") + std::string(32766, ' ')),
      typed(std::string("SUM(") + repeat("(", 16379) + "1" + repeat(")", 16380) + "..."),
      typed(repeat("(-", 10922) + "1" + repeat(")", 10922)),
      typed(repeat("1+*(", 8191)),
      std::string("y@") + repeat("a,", 16000) + "b@" + repeat("a,", 100) + "a@" +
          repeat("b,", 100) + "c/1@a+b",
      std::string("y@") + repeat("abcd,", 6553) + "@" + repeat("x,", 16000) + "@@x",
      std::string(40000, 'h') + "@@@@1+2",
  };
  FormulaMaker maker(7);
  for (int i = 0; i < 40; ++i) {
    std::string sum;
    while (sum.size() < 300) sum += maker.Arithmetic(0) + "+";
    out.push_back(typed(sum + "1"));
  }
  for (int i = 0; i < 40; ++i) out.push_back(typed(maker.Expression(2000 + maker.Below(6000))));
  return out;
}

std::vector<std::string> CorpusFiles(const std::string& name) {
  std::vector<std::string> out;
  const std::filesystem::path dir = std::filesystem::path(NUMERELLA_FUZZ_CORPUS) / name;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

class DifferentialTest : public ::testing::Test {
 protected:
  void Compare(const std::string& formula, bool listing) {
    const std::string difference = CompareCompilers(product_, previous_, formula, listing, count_);
    if (!difference.empty() && ++failures_ <= 10) {
      ADD_FAILURE() << difference << "\nformula (" << formula.size()
                    << " bytes): " << formula.substr(0, 300) << "\nlisting: " << listing;
    }
  }
  void Report(const char* what) {
    EXPECT_EQ(failures_, 0);
    std::cout << what << ": " << count_.compared << " compilations compared in full, "
              << count_.beyond_limit << " past the working-text limit; " << count_.succeeded
              << " of the compared compilations succeeded\n";
  }

  Compiler product_;
  reference::Compiler previous_;
  DifferentialCount count_;
  int failures_ = 0;
};

TEST_F(DifferentialTest, FuzzCorpora) {
  // Every corpus file as its fuzz target reads it, and also as a whole formula and as a typed
  // text; the corpora of the other targets serve as odd texts.
  for (const auto& dir : std::filesystem::directory_iterator(NUMERELLA_FUZZ_CORPUS)) {
    const std::string name = dir.path().filename().string();
    for (const std::string& data : CorpusFiles(name)) {
      for (bool listing : {false, true}) {
        Compare(data, listing);
        Compare(std::string("y@ @ @ @") + data, listing);
      }
      if (name == "typed_formula_fuzz" && !data.empty()) {
        Compare(std::string("y@ @ @ @") + data.substr(1), data[0] & 1);
      }
    }
  }
  EXPECT_GT(count_.compared, 0);
  Report("fuzz corpora");
}

// NUMERELLA_DIFFERENTIAL_SEED and NUMERELLA_DIFFERENTIAL_FORMULAS change the generated set for
// longer runs by hand.
TEST_F(DifferentialTest, GeneratedFormulas) {
  const char* seed = std::getenv("NUMERELLA_DIFFERENTIAL_SEED");
  const char* formulas = std::getenv("NUMERELLA_DIFFERENTIAL_FORMULAS");
  FormulaMaker maker(seed ? static_cast<unsigned>(std::atoll(seed)) : 20261207u);
  const long long count = formulas ? std::atoll(formulas) : 40000;
  for (long long i = 0; i < count; ++i) {
    const std::string formula = maker.Formula();
    for (bool listing : {false, true}) Compare(formula, listing);
  }
  Report("generated formulas");
}

TEST_F(DifferentialTest, LongFormulas) {
  for (const std::string& formula : LongFormulas()) {
    for (bool listing : {false, true}) Compare(formula, listing);
  }
  EXPECT_GT(count_.beyond_limit, 0);
  Report("long formulas");
}

}  // namespace
}  // namespace numerella
