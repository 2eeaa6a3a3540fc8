// SPDX-License-Identifier: GPL-3.0-or-later
#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <unordered_set>

#include "compilation_record.h"
#include "compiler/compiled_program.h"
#include "table.h"

namespace numerella::recorded {
namespace {

using Pieces = std::vector<std::string>;

// The pieces formulas are made of (recordings/pieces.txt, "|" between them): of expressions,
// declared names, constant values and numbers.
const Pieces& PiecesOf(std::size_t line) {
  static const std::vector<Pieces> pieces = [] {
    std::vector<Pieces> out;
    for (const table::Row& row : table::Read(NUMERELLA_RECORDINGS "/pieces.txt")) {
      const std::string text = table::Unescape(row[0]);
      Pieces& line_pieces = out.emplace_back(1);
      for (const char c : text) c == '|' ? line_pieces.emplace_back() : line_pieces.back() += c;
    }
    return out;
  }();
  return pieces.at(line);
}

// Formulas from a seed, the same with every compiler and standard library: its own random
// numbers, and every random choice in a statement of its own.
class FormulaMaker {
 public:
  explicit FormulaMaker(std::uint64_t seed) : state_(seed) {}

  int Below(int n) {  // splitmix64
    std::uint64_t z = (state_ += 0x9e3779b97f4a7c15u);
    z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9u;
    z = (z ^ (z >> 27)) * 0x94d049bb133111ebu;
    return static_cast<int>((z ^ (z >> 31)) % static_cast<std::uint64_t>(n));
  }

  std::string Expression(int pieces) {
    std::string out;
    for (int i = 0; i < pieces; ++i) out += Pick(PiecesOf(0));
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
      for (int i = 0; i < count; ++i) constants += (i ? "," : "") + Pick(PiecesOf(2));
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
  const std::string& Pick(const Pieces& pieces) {
    return pieces[static_cast<std::size_t>(Below(static_cast<int>(pieces.size())))];
  }

  // A list of declared names, sometimes empty; the names are remembered as operands.
  std::string Names(int most) {
    const int count = Below(most + 1);
    std::string out;
    for (int i = 0; i < count; ++i) {
      const std::string& name = Pick(PiecesOf(1));
      out += (i ? "," : "") + name;
      if (!name.empty()) declared_.push_back(name);
    }
    return out;
  }

  std::string Term(int depth) {
    switch (Below(depth > 2 ? 3 : 8)) {
      case 0:
      case 1:
        return Pick(PiecesOf(3));
      case 2:
        if (!declared_.empty() && Below(3) > 0) return Pick(declared_);
        return Below(10) == 0 ? "@@0" + std::to_string(Below(10)) : Pick(PiecesOf(3));
      case 3:
        return "(" + Arithmetic(depth + 1) + ")";
      case 4: {
        const std::string first = Arithmetic(depth + 1);
        return "(" + first + "," + Arithmetic(depth + 1) + ")";
      }
      case 5:
        return "(-" + Term(depth + 1) + ")";
    }
    const IntrinsicInfo& f = kIntrinsics[static_cast<std::size_t>(Below(kFunctionCount))];
    std::string out(f.name);
    for (char& c : out) {
      if (Below(3) == 0 && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    const int wanted = f.arguments == kAnyCount ? 1 + Below(4) : f.arguments;
    const int count = Below(12) == 0 ? 1 + Below(4) : wanted;
    out += Below(8) == 0 ? " (" : "(";
    for (int k = 0; k < count; ++k) out.append(k ? "," : "").append(Arithmetic(depth + 1));
    return out + ")";
  }

  std::uint64_t state_;
  Pieces declared_;
};

std::vector<std::string> CorpusFiles(const std::filesystem::path& folder) {
  std::vector<std::filesystem::path> paths(std::filesystem::directory_iterator(folder), {});
  std::sort(paths.begin(), paths.end());
  std::vector<std::string> out;
  for (const auto& path : paths) {
    std::ifstream in(path, std::ios::binary);
    out.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return out;
}

}  // namespace

std::vector<std::pair<std::string, Row>> RecordedRows(bool full) {
  Compiler compiler;
  std::unordered_set<std::string> seen;
  std::vector<std::pair<std::string, Row>> rows;
  // Formula with either listing request, under its id ("" for CaseId).
  const auto add = [&](const std::string& id, const std::string& formula) {
    const bool readable = !id.empty() && id[0] == 'g' && std::stoi(id.substr(1)) < 50;
    for (bool listing : {false, true}) {
      const std::string key = id.empty() ? CaseId(formula, listing) : id + (listing ? "/1" : "/0");
      if ((full && !readable) || !seen.insert(key).second) continue;
      Row row = Compile(compiler, formula, listing, full);
      if (full) row.insert(row.begin(), Escape(formula));
      rows.emplace_back(key, std::move(row));
    }
  };
  // Each corpus file as its fuzz target compiles it, and as a typed text after the calculation
  // run's empty declarations.
  const std::filesystem::path corpus = NUMERELLA_FUZZ_CORPUS;
  for (const std::string& data : CorpusFiles(corpus / "typed_formula_fuzz")) {
    if (!data.empty()) add("", "y@ @ @ @" + data.substr(1));
    add("", "y@ @ @ @" + data);
  }
  for (const std::string& data : CorpusFiles(corpus / "formula_text_fuzz")) {
    add("", data);
    add("", "y@ @ @ @" + data);
  }
  FormulaMaker maker(20261207u);
  for (int n = 0; n < 40000; ++n) add("g" + std::to_string(n), maker.Formula());
  // The long formulas of the recordings folder, then long generated sums and random texts.
  int n = 0;
  for (const table::Row& row : table::Read(NUMERELLA_RECORDINGS "/long_formulas.txt")) {
    add("l" + std::to_string(n++), table::Unescape(row[0]));
  }
  FormulaMaker long_maker(7);
  for (int i = 0; i < 40; ++i) {
    std::string sum;
    while (sum.size() < 300) sum += long_maker.Arithmetic(0) + "+";
    add("l" + std::to_string(n++), "y@ @ @ @" + sum + "1");
  }
  for (int i = 0; i < 40; ++i) {
    const int pieces = 2000 + long_maker.Below(6000);
    add("l" + std::to_string(n++), "y@ @ @ @" + long_maker.Expression(pieces));
  }
  return rows;
}

}  // namespace numerella::recorded
