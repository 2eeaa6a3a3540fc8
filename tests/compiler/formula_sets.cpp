// SPDX-License-Identifier: GPL-3.0-or-later
#include "formula_sets.h"

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string_view>

#include "compilation_record.h"
#include "compiler/compiled_program.h"

namespace numerella::recorded {
namespace {

constexpr int kGeneratedFormulas = 40000;
constexpr int kReadableFormulas = 50;

std::vector<std::string> SplitPieces(std::string_view text) {
  std::vector<std::string> out;
  for (std::size_t start = 0;;) {
    const std::size_t bar = text.find('|', start);
    out.emplace_back(text.substr(start, bar - start));
    if (bar == std::string_view::npos) return out;
    start = bar + 1;
  }
}

// Pieces of expressions, "|" between them: every kind of operand, operator and mark, in any
// case, and the near misses of each.
const std::vector<std::string> kExpressionPieces = SplitPieces(
    "1|2|0|7.5|.5|5.|1e3|1E-3|2e+2|1.5.2|.|1e|1E+|1e+x|1D5|2(3|1E999|1e-999|12345678901234567890|"
    "0.000000000000000000001|\xe0|1\xe0|x|y|k|ab|abc|abcd|alpha|X|AB|@@00|@@01|@@5|@@99|@@|a_1|"
    "Z9|#|##|##07|##98|##99|##7|#5|@|$|+|-|*|/|^|+|-|*|,|,|(|(|(|)|)|)| |  |ABS(|abs(|SQR(|sqrt(|"
    "EXP(|LOG(|ASIN(|asin(|ACOS(|ATAN(|SIN(|Sin(|COS(|TAN(|SGN(|LNGAM(|lngam(|GAM(|SUM(|AVG(|"
    "STD(|D_B(|C_B(|D_P(|C_P(|D_N(|C_N(|D_X2(|C_X2(|d_x2(|D_T(|C_T(|D_F(|C_F(|P(|p(|Q(|A(|a(|"
    "INT(|XSIN(|SINX(|AP(|D_A(|SGAM(|2SIN(|_P(|SIN (|SIN|SUM");

// Declared names: valid, long, empty, with bad characters, and names of literals and marks.
const std::vector<std::string> kNamePieces = SplitPieces(
    "x|y|k|ab|abc|abcd|xabc|d|alpha|beta5||1a|a$|$a|\xe0"
    "b|a_1|X|@@00|@@01|a b| x |v1|v2|P|SIN|q(|#");

const std::vector<std::string> kValuePieces = SplitPieces(
    "1|2.5|-2.5e1x|abc|+.5|1.5e|1E999|-1E999| - 4|7.||1.2.3|12345678901234567890123456|0.0001e-2");

const std::vector<std::string> kNumbers =
    SplitPieces("1|2|2.5|.5|7.|1e3|1E-3|0|12345678901234567890|3");

// Formulas from a seed, the same with every compiler and standard library: its own random
// numbers, and every random choice in a statement of its own.
class FormulaMaker {
 public:
  explicit FormulaMaker(std::uint64_t seed) : state_(seed) {}

  int Below(int n) { return static_cast<int>(Next() % static_cast<std::uint64_t>(n)); }

  std::string Expression(int pieces) {
    std::string out;
    for (int i = 0; i < pieces; ++i) out += Pick(kExpressionPieces);
    return out;
  }

  std::string Formula() {
    const int kind = Below(10);
    declared_.clear();
    if (kind <= 2) return "y@ @ @ @" + Expression(1 + Below(kind == 0 ? 400 : 24));
    if (kind <= 5) return "y@ @ @ @" + Arithmetic(0);  // as the calculation run writes it
    const std::string variables = Names(5);
    const std::string parameters = Names(4);
    std::string constants = Names(4);
    if (Below(3) > 0) {
      constants += "/";
      const int count = Below(4);
      for (int i = 0; i < count; ++i) constants += (i ? "," : "") + Pick(kValuePieces);
    }
    const std::string expression = kind <= 7 ? Arithmetic(0) : Expression(1 + Below(24));
    const std::string head = Pick({"", "y", "head"});
    return head + "@" + variables + "@" + parameters + "@" + constants + "@" + expression;
  }

  // Well-formed expressions over numbers, declared names, calls (with the right argument
  // count or not), groups, lists and signs, so that the syntax check and the generation run.
  std::string Arithmetic(int depth) {
    std::string out = Below(6) == 0 ? Pick({"-", "+", " - "}) : "";
    const int terms = 1 + Below(depth > 2 ? 2 : 4);
    for (int i = 0; i < terms; ++i) {
      if (i > 0) out += Pick({"^", "*", "/", "+", "-", " + ", "*"});
      out += Term(depth);
    }
    return out;
  }

 private:
  std::uint64_t Next() {  // splitmix64
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return z ^ (z >> 31);
  }

  const std::string& Pick(const std::vector<std::string>& pieces) {
    return pieces[static_cast<std::size_t>(Below(static_cast<int>(pieces.size())))];
  }

  // A list of declared names, sometimes empty; the names are remembered as operands.
  std::string Names(int most) {
    const int count = Below(most + 1);
    std::string out;
    for (int i = 0; i < count; ++i) {
      const std::string& name = Pick(kNamePieces);
      out += (i ? "," : "") + name;
      if (!name.empty()) declared_.push_back(name);
    }
    return out;
  }

  std::string Term(int depth) {
    switch (Below(depth > 2 ? 3 : 8)) {
      case 0:
      case 1:
        return Pick(kNumbers);
      case 2:
        if (!declared_.empty() && Below(3) > 0) return Pick(declared_);
        return Below(10) == 0 ? "@@0" + std::to_string(Below(10)) : Pick(kNumbers);
      case 3:
        return "(" + Arithmetic(depth + 1) + ")";
      case 4: {
        const std::string first = Arithmetic(depth + 1);
        return "(" + first + "," + Arithmetic(depth + 1) + ")";
      }
      case 5:
        return "(-" + Term(depth + 1) + ")";
      default: {
        const IntrinsicInfo& f = kIntrinsics[static_cast<std::size_t>(Below(kFunctionCount))];
        std::string name(f.name);
        for (char& c : name) {
          if (Below(3) == 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        }
        const int wanted = f.arguments == kAnyCount ? 1 + Below(4) : f.arguments;
        const int count = Below(12) == 0 ? 1 + Below(4) : wanted;
        std::string out = name + (Below(8) == 0 ? " (" : "(");
        for (int k = 0; k < count; ++k) out.append(k ? "," : "").append(Arithmetic(depth + 1));
        return out + ")";
      }
    }
  }

  std::uint64_t state_;
  std::vector<std::string> declared_;
};

std::string Repeat(std::string_view unit, std::size_t times) {
  std::string out;
  while (times-- > 0) out += unit;
  return out;
}

// Long texts: the worst shapes of every pass, at and around the limits.
std::vector<std::string> LongFormulas() {
  std::vector<std::string> typed = {
      Repeat("(", 16378) + "1" + Repeat(")", 16378),
      Repeat("(", 16379) + "1" + Repeat(")", 16379),
      Repeat("+", 32766) + "1",
      "1" + Repeat("+", 32765) + "1",
      Repeat("SIN(", 5000) + "1" + Repeat(")", 5000),
      Repeat("P(", 5459) + "1" + Repeat(")", 5459),
      Repeat("P(", 5460) + "1" + Repeat(")", 5460),
      Repeat("LNGAM(", 4681) + "1" + Repeat(")", 4681),
      "1." + std::string(32763, '0'),
      "1." + std::string(32764, '0'),
      Repeat("x+", 16383) + "x",
      Repeat("1+", 16383) + "1",
      Repeat("1.1.,", 6552) + "1.1.1.1",
      std::string(32767, 'a'),
      std::string(32767, '#'),
      Repeat("##07(", 5000) + "1" + Repeat(")", 5000),
      "1" + std::string(32766, ' '),
      "SUM(" + Repeat("(", 16379) + "1" + Repeat(")", 16380) + "...",
      Repeat("(-", 10922) + "1" + Repeat(")", 10922),
      Repeat("1+*(", 8191),
  };
  FormulaMaker maker(7);
  for (int i = 0; i < 40; ++i) {
    std::string sum;
    while (sum.size() < 300) sum += maker.Arithmetic(0) + "+";
    typed.push_back(sum + "1");
  }
  for (int i = 0; i < 40; ++i) {
    const int pieces = 2000 + maker.Below(6000);
    typed.push_back(maker.Expression(pieces));
  }
  std::vector<std::string> out = {
      "y@" + Repeat("a,", 16000) + "b@" + Repeat("a,", 100) + "a@" + Repeat("b,", 100) + "c/1@a+b",
      "y@" + Repeat("abcd,", 6553) + "@" + Repeat("x,", 16000) + "@@x",
      std::string(40000, 'h') + "@@@@1+2",
  };
  for (const std::string& text : typed) out.push_back("y@ @ @ @" + text);
  return out;
}

std::vector<std::string> CorpusFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> paths;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> out;
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

}  // namespace

std::vector<FormulaCase> RecordedCases(const std::filesystem::path& corpus) {
  std::vector<FormulaCase> out;
  const auto add_corpus_case = [&](const std::string& formula) {
    for (bool listing : {false, true}) out.push_back({CaseId(formula, listing), formula, listing});
  };
  // Each file as its fuzz target compiles it (with either listing request), and as a typed
  // text after the calculation run's empty declarations.
  for (const std::string& data : CorpusFiles(corpus / "typed_formula_fuzz")) {
    if (!data.empty()) add_corpus_case("y@ @ @ @" + data.substr(1));
    add_corpus_case("y@ @ @ @" + data);
  }
  for (const std::string& data : CorpusFiles(corpus / "formula_text_fuzz")) {
    add_corpus_case(data);
    add_corpus_case("y@ @ @ @" + data);
  }
  const auto add_numbered = [&](char set, int n, const std::string& formula) {
    for (bool listing : {false, true}) {
      out.push_back({set + std::to_string(n) + (listing ? "/1" : "/0"), formula, listing});
    }
  };
  FormulaMaker maker(20261207u);
  for (int n = 0; n < kGeneratedFormulas; ++n) add_numbered('g', n, maker.Formula());
  int n = 0;
  for (const std::string& formula : LongFormulas()) add_numbered('l', n++, formula);
  return out;
}

bool InReadableSubset(const std::string& id) {
  return id[0] == 'g' && std::stoi(id.substr(1)) < kReadableFormulas;
}

}  // namespace numerella::recorded
