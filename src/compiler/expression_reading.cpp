// SPDX-License-Identifier: GPL-3.0-or-later
#include "compiler/expression_reading.h"

#include <algorithm>

#include "compiler/char_classes.h"
#include "compiler/compiled_program.h"
#include "compiler/number_text.h"

namespace numerella::compile_detail {
namespace {

// Whether text at position at holds the mark character twice and then two digits.
bool IsMarkAt(std::string_view text, std::size_t at, char mark) {
  return at + 4 <= text.size() && text[at] == mark && text[at + 1] == mark &&
         IsDigit(text[at + 2]) && IsDigit(text[at + 3]);
}

int TwoDigitsAt(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

// Length of an ordinal in the marked form: "@@" and at least two digits.
std::size_t MarkLength(int ordinal) {
  if (ordinal < 100) return 4;
  std::size_t digits = 2;
  for (int rest = ordinal / 100; rest > 0; rest /= 10) ++digits;
  return 2 + digits;
}

// Builds the working text: blanks removed, the whole enclosed in "(" ")", a "+" right after
// "(" or "," dropped and a "-" there preceded by "0", and every function name that stands right
// before a "(" (any case; longer names win over the names they end with, because the table is
// searched in function order) replaced by "##" and its two-digit number. Returns the length of
// the text before the function names were replaced.
class WorkingTextBuilder {
 public:
  explicit WorkingTextBuilder(ExpressionWork& work)
      : text_(work.text), at_(work.at), length_(work.text_length) {}

  std::size_t Build(std::string_view expression, std::uint32_t offset) {
    // Written through plain pointers into room for the longest outcome, then cut to what was
    // written. No typed character gives more than three: "P(" becomes "##28(", a "-" after
    // "(" or "," becomes "0-"; and the enclosing pair.
    const std::size_t room = 3 * expression.size() + 2;
    if (text_.size() < room) text_.resize(room);
    if (at_.size() < room) at_.resize(room);
    t_ = text_.data();
    a_ = at_.data();
    n_ = 0;
    Push('(', offset);
    for (std::size_t k = 0; k < expression.size(); ++k) {
      const char c = expression[k];
      if (c == ' ') continue;
      if (c == '(') {
        ++opened_;
        if (depth_++ == 0) first_unclosed_ = k;
      } else if (c == ')') {
        ++closed_;
        if (depth_ > 0) {
          --depth_;
        } else if (first_unopened_ == kNone) {
          first_unopened_ = k;
        }
      }
      const auto where = offset + static_cast<std::uint32_t>(k);
      const char last = t_[n_ - 1];
      if (last == '(' || last == ',') {
        if (c == '+') continue;
        if (c == '-') Push('0', where);
      }
      // Every function name ends in a letter or a digit; other "(" need no lookup.
      if (c == '(' && Is(last, kLetterOrDigit)) MarkFunction();
      Push(c, where);
    }
    Push(')', offset + static_cast<std::uint32_t>(expression.size()));
    length_ = n_;
    return normal_length_;
  }

  // The counts of "(" and ")" as typed; when they differ, the error line and the first surplus
  // parenthesis: the first ")" without a "(" when there are more ")", else the first "(" that
  // is never closed.
  void CheckParentheses(std::uint32_t offset, Findings& findings) const {
    if (opened_ == closed_) return;
    const auto at =
        offset + static_cast<std::uint32_t>(opened_ > closed_ ? first_unclosed_ : first_unopened_);
    if (findings.Error({at, at + 1})) {
      findings.Line({"* ERR. ", BlankSigned(opened_), "Parentesi Aperte e ", BlankSigned(closed_),
                     " Chiuse"});
    }
  }

 private:
  void Push(char c, std::uint32_t where) {
    t_[n_] = c;
    a_[n_] = where;
    ++n_;
    ++normal_length_;
  }

  void MarkFunction() {
    const IntrinsicInfo* f = FunctionEnding({t_, n_});
    if (f == nullptr) return;
    // The names hold no "(", so the end of the text is still as typed.
    const std::size_t start = n_ - f->name.size();
    const std::uint32_t begin = a_[start];
    const std::uint32_t last_at = a_[n_ - 1];
    t_[start] = '#';
    t_[start + 1] = '#';
    t_[start + 2] = static_cast<char>('0' + f->number / 10);
    t_[start + 3] = static_cast<char>('0' + f->number % 10);
    a_[start] = a_[start + 1] = a_[start + 2] = begin;
    a_[start + 3] = last_at;
    n_ = start + 4;
  }

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::string& text_;
  std::vector<std::uint32_t>& at_;
  std::size_t& length_;
  char* t_ = nullptr;
  std::uint32_t* a_ = nullptr;
  std::size_t n_ = 0;
  std::size_t normal_length_ = 0;
  long long opened_ = 0;
  long long closed_ = 0;
  std::size_t depth_ = 0;
  std::size_t first_unclosed_ = 0;
  std::size_t first_unopened_ = kNone;
};

// Cuts the working text into symbols and gives each operand its slot.
class Scanner {
 public:
  Scanner(const Declarations& d, ExpressionWork& work, std::string& operand_map, Findings& findings)
      : d_(d), work_(work), text_(work.marked()), operand_map_(operand_map), findings_(findings) {
    // Every character of the text gives at most one symbol, and the whole expression's call
    // comes first.
    if (work.symbols.size() < text_.size() + 1) work.symbols.resize(text_.size() + 1);
    out_ = work.symbols.data();
  }

  // Returns the length of the marked form.
  std::size_t Scan(std::uint32_t offset) {
    work_.literal_values.clear();
    work_.last_ordinal = -1;
    Put({Symbol::kFunction, 0, 0, kWholeExpressionFunction, {offset, offset}});
    std::size_t marked_length = 4;
    std::size_t i = 0;
    while (i < text_.size()) {
      const char c = text_[i];
      if (c == '#' && IsMarkAt(text_, i, '#')) {
        Add(Symbol::kFunction, TwoDigitsAt(text_, i + 2), i, i + 4);
        marked_length += 4;
        i += 4;
      } else if (Is(c, kStandsAlone)) {
        AddOperatorChar(c, i);
        marked_length += 1;
        ++i;
      } else {
        const std::size_t end = OperandEnd(i);
        if (Operand(i, end)) marked_length += MarkLength(work_.last_ordinal);
        i = end;
      }
    }
    work_.symbol_count = count_;
    return marked_length;
  }

 private:
  void Put(const Symbol& symbol) { out_[count_++] = symbol; }

  Span SpanOf(std::size_t begin, std::size_t end) const {
    return {work_.at[begin], work_.at[end - 1] + 1};
  }

  void Add(Symbol::Kind kind, int number, std::size_t begin, std::size_t end) {
    Put({kind, 0, 0, static_cast<std::uint16_t>(number), SpanOf(begin, end)});
  }

  void AddOperatorChar(char c, std::size_t i) {
    Symbol symbol{Symbol::kStray, 0, 0, 0, SpanOf(i, i + 1)};
    // The enclosing "(" and ")" were not typed: they select nothing.
    if (i == 0 || i + 1 == text_.size()) symbol.where.end = symbol.where.begin;
    if (c == '(') {
      symbol.kind = Symbol::kOpen;
    } else if (c == ')') {
      symbol.kind = Symbol::kClose;
    } else if (c == ',') {
      symbol.kind = Symbol::kComma;
    } else if (const CharInfo& info = kChars[static_cast<unsigned char>(c)]; info.code != 0) {
      symbol.kind = Symbol::kOperator;
      symbol.code = info.code;
      symbol.level = info.level;
    }
    Put(symbol);
  }

  // An operand runs up to "^", ")", "*", "/", "," or the end, and up to a "+" or "-" unless
  // that is the sign of the exponent of a number ("1E-3").
  std::size_t OperandEnd(std::size_t start) const {
    const bool numeric = Is(text_[start], kStartsNumber);
    std::size_t j = start + 1;
    for (; j < text_.size(); ++j) {
      const char d = text_[j];
      if (Is(d, kEndsOperand)) break;
      if (Is(d, kSign)) {
        const bool exponent_sign = numeric && (text_[j - 1] == 'E' || text_[j - 1] == 'e');
        if (!exponent_sign) break;
      }
    }
    return j;
  }

  // Returns whether the operand got its mark (an undefined name gets none).
  bool Operand(std::size_t begin, std::size_t end) {
    ++work_.last_ordinal;
    // A name here is no literal: an internal name that spells this ordinal finds nothing.
    if (work_.last_ordinal < kMaxOperands) work_.literal_slot[work_.last_ordinal] = 0;
    const std::string_view text = text_.substr(begin, end - begin);
    const Span where = SpanOf(begin, end);
    if (Is(text[0], kStartsNumber)) {
      Literal(text, where);
      return true;
    }
    return Name(text, where);
  }

  // A numeric literal becomes a constant of its own, in a new slot named "@@" + ordinal (a
  // slot that no name can find beyond the operand limit).
  void Literal(std::string_view text, Span where) {
    const int ordinal = work_.last_ordinal;
    const int slot = d_.slot_count() + static_cast<int>(work_.literal_values.size()) + 1;
    if (ordinal < kMaxOperands) work_.literal_slot[ordinal] = slot;
    AppendOperand(slot, where);
    const LiteralReading literal = ReadLiteral(text);
    if ((!literal.valid || literal.reading.overflow) && findings_.Error(where)) {
      work_.upper.clear();
      for (char c : text) work_.upper.push_back(UpperLatin1(c));
      findings_.Line({"* ERR. ", work_.upper, " Espressione Numerica Errata"});
    }
    work_.literal_values.push_back(literal.reading.overflow ? 0.0 : literal.reading.value);
  }

  // A name reads the first slot that holds exactly it: a declared one, else the slot of an
  // earlier literal whose internal name it spells ("@@" and two digits).
  bool Name(std::string_view name, Span where) {
    if (name.size() > kNameWidth) {
      if (findings_.Error(where))
        findings_.Line({"* ERR. ", name, " Espressione Variabile Errata"});
      name = name.substr(0, kNameWidth);
    }
    char padded[kNameWidth] = {' ', ' ', ' ', ' '};
    std::copy(name.begin(), name.end(), padded);
    int slot = d_.table.FirstSlot(SlotKey(padded), 1, d_.slot_count());
    if (slot == 0 && IsMarkAt(std::string_view(padded, kNameWidth), 0, '@')) {
      // Only operands before this one have their entry written in this compilation.
      const int ordinal = TwoDigitsAt(std::string_view(padded, kNameWidth), 2);
      if (ordinal < work_.last_ordinal) slot = work_.literal_slot[ordinal];
    }
    if (slot == 0) {
      if (findings_.Error(where)) findings_.Line({"* ERR. Variabile ", name, " NON definita"});
      return false;
    }
    AppendOperand(slot, where);
    return true;
  }

  void AppendOperand(int slot, Span where) {
    if (slot > kMaxSlot) {
      // Reported once; the operand gets no code, and the compilation fails.
      if (!slot_overflow_reported_) {
        slot_overflow_reported_ = true;
        if (findings_.Error(where))
          findings_.Line({"* ERR. Troppi Nomi e Costanti (al massimo 255)"});
      }
      findings_.Fail();
    } else {
      operand_map_.push_back(static_cast<char>(slot));
    }
    Put({Symbol::kOperand, 0, 0, static_cast<std::uint16_t>(work_.last_ordinal), where});
  }

  const Declarations& d_;
  ExpressionWork& work_;
  std::string_view text_;
  Symbol* out_;
  std::size_t count_ = 0;
  std::string& operand_map_;
  Findings& findings_;
  bool slot_overflow_reported_ = false;
};

}  // namespace

void ReadExpression(std::string_view expression, std::uint32_t offset, const Declarations& d,
                    ExpressionWork& work, std::string& operand_map, Findings& findings) {
  findings.Line({"*** Controllo della Funzione"});
  if (!findings.listing_wanted() && ReadPlainExpression(expression, offset, d, work, operand_map)) {
    return;
  }
  WorkingTextBuilder builder(work);
  const std::size_t normal_length = builder.Build(expression, offset);
  builder.CheckParentheses(offset, findings);
  const std::size_t marked_length = Scanner(d, work, operand_map, findings).Scan(offset);
  if (std::max({normal_length, work.text_length, marked_length}) > kMaxWorkingLength) {
    findings.Fail();
  }
}

bool CheckSyntax(const ExpressionWork& work, Findings& findings) {
  enum class Next { kOperand, kOperator, kOpen };
  const std::span<const Symbol> symbols = work.symbol_list();
  Next next = Next::kOperand;
  int depth = 0;
  std::size_t k = 0;
  for (; k < symbols.size(); ++k) {
    const Symbol& s = symbols[k];
    bool ok = true;
    switch (s.kind) {
      case Symbol::kOpen:
        ok = next != Next::kOperator;
        ++depth;
        next = Next::kOperand;
        break;
      case Symbol::kClose:
        // Only the last ")" may close the whole expression: an earlier one had no "(" to close.
        --depth;
        ok = next == Next::kOperator && (depth > 0 || (depth == 0 && k + 1 == symbols.size()));
        break;
      case Symbol::kComma:
      case Symbol::kOperator:
        ok = next == Next::kOperator;
        next = Next::kOperand;
        break;
      case Symbol::kFunction:
        ok = next == Next::kOperand;
        next = Next::kOpen;
        break;
      case Symbol::kOperand:
        // An ordinal of three digits leaves a digit where an operator must follow.
        ok = next == Next::kOperand && s.number < kMaxOperands;
        next = Next::kOperator;
        break;
      case Symbol::kStray:
        ok = false;
        break;
    }
    if (!ok) break;
  }
  if (k == symbols.size() && depth == 0) return true;
  // Where the check stopped; at the ")" that the compiler added, the last typed symbol before it.
  std::size_t shown = std::min(k, symbols.size() - 1);
  while (shown > 0 && symbols[shown].where.begin == symbols[shown].where.end) --shown;
  Span where = symbols[shown].where;
  if (shown == 0) where = {symbols.back().where.begin, symbols.back().where.begin};
  if (findings.Error(where)) findings.Line({"* ERR. Scrittura dell'Espressione Errata"});
  return false;
}

}  // namespace numerella::compile_detail
