// SPDX-License-Identifier: GPL-3.0-or-later
// The preview, the error place, name completion and the call hint of the expression box.
#include "main_window/formula_help.h"

#include <algorithm>

#include "message_window/function_card.h"

namespace numerella {

namespace {

bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsWordChar(char c) { return IsLetter(c) || (c >= '0' && c <= '9') || c == '_'; }
char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// The card's columns are separated by two blanks or more: the text from at to the next such
// gap (or the end of the line).
std::string_view ColumnFrom(std::string_view line, std::size_t at) {
  const std::size_t end = std::min(line.find("  ", at), line.size());
  return line.substr(at, end - at);
}

// The function number whose call "NAME(...)" starts a column of line at position at, or -1.
// The call's text ends at the returned close position.
int CallStartingAt(std::string_view line, std::size_t at, std::size_t& close) {
  const bool column_start = at == 0 || (at >= 2 && line[at - 1] == ' ' && line[at - 2] == ' ');
  if (!column_start || !IsLetter(line[at])) return -1;
  std::size_t end = at;
  while (end < line.size() && IsWordChar(line[end])) ++end;
  close = line.find(')', end);
  if (end >= line.size() || line[end] != '(' || close == std::string_view::npos) return -1;
  return FunctionNumber(line.substr(at, end - at));
}

// Whether text is exactly one call of an intrinsic function (the next column of a row).
bool IsOneCall(std::string_view text) {
  std::size_t close = 0;
  return !text.empty() && CallStartingAt(text, 0, close) >= 0 && close + 1 == text.size();
}

// The words of a call found at column at of line: what follows it in its column, else (a row
// of the distributions, where the columns hold calls only) the row's leading words and the
// heading of the call's column in the group's heading line.
std::string Describe(std::string_view line, std::size_t at, std::size_t close,
                     std::string_view heading) {
  std::size_t after = close + 1;
  while (after < line.size() && line[after] == ' ') ++after;
  const std::string_view own = after < line.size() ? Trimmed(ColumnFrom(line, after)) : "";
  if (!own.empty() && !IsOneCall(own)) return std::string(own);
  std::size_t first_call = 0;
  while (first_call < line.size() && line[first_call] == ' ') ++first_call;
  std::string text(Trimmed(line.substr(0, first_call == at ? 0 : line.find("  ", first_call))));
  std::string_view title;
  for (std::size_t c = 0; c < heading.size() && c <= at;) {
    if (heading[c] == ' ') {
      ++c;
      continue;
    }
    const std::string_view column = ColumnFrom(heading, c);
    if (c > 0) title = column;
    c += column.size();
  }
  if (!title.empty()) text += (text.empty() ? "" : ", ") + std::string(title);
  return text;
}

std::vector<std::string> SplitArguments(std::string_view list) {
  std::vector<std::string> arguments;
  for (std::size_t at = 0;;) {
    const std::size_t comma = std::min(list.find(',', at), list.size());
    arguments.emplace_back(list.substr(at, comma - at));
    if (comma == list.size()) return arguments;
    at = comma + 1;
  }
}

std::vector<FunctionHelp> ReadCard() {
  std::vector<FunctionHelp> helps(kFunctionCount);
  std::vector<std::string_view> lines(FunctionCardEntries().begin(), FunctionCardEntries().end());
  lines.insert(lines.end(), OffCardEntries().begin(), OffCardEntries().end());
  std::string_view heading;  // the last line that starts a group
  for (const std::string_view line : lines) {
    if (!line.empty() && line[0] != ' ') heading = line;
    for (std::size_t at = 0; at < line.size(); ++at) {
      std::size_t close = 0;
      const int f = CallStartingAt(line, at, close);
      if (f < 0 || !helps[f].name.empty()) continue;  // the first call of a function counts
      FunctionHelp& help = helps[f];
      help.number = f;
      help.name = kIntrinsics[f].name;
      help.call = line.substr(at, close + 1 - at);
      help.arguments =
          SplitArguments(line.substr(at + help.name.size() + 1, close - at - help.name.size() - 1));
      help.description = Describe(line, at, close, heading);
    }
  }
  return helps;
}

class SwallowedNotices : public NoticeSink {
 public:
  void Notice(std::string_view /*text*/, std::string_view /*title*/) override {}
};

}  // namespace

const std::vector<FunctionHelp>& FunctionHelps() {
  static const std::vector<FunctionHelp> helps = ReadCard();
  return helps;
}

NameCompletion CompleteName(std::string_view text, std::size_t cursor) {
  NameCompletion completion;
  const std::size_t end = std::min(cursor, text.size());
  if (end < text.size() && IsWordChar(text[end])) return completion;  // inside a word
  std::size_t start = end;
  while (start > 0 && IsWordChar(text[start - 1])) --start;
  // A word that starts with a digit is a number ("1E" of 1E5), not a name.
  if (start == end || !IsLetter(text[start])) return completion;
  completion.start = start;
  completion.length = end - start;
  const std::string_view typed = text.substr(start, end - start);
  for (const IntrinsicInfo& info : kIntrinsics) {
    if (NameBeginsWith(info.name, typed)) completion.functions.push_back(info.number);
  }
  std::sort(completion.functions.begin(), completion.functions.end(),
            [](int a, int b) { return kIntrinsics[a].name < kIntrinsics[b].name; });
  return completion;
}

std::string CompletionText(std::string_view text, const NameCompletion& completion, int f) {
  std::string insert(kIntrinsics[f].name);
  const std::size_t next = completion.start + completion.length;
  if (next >= text.size() || text[next] != '(') insert += '(';
  return insert;
}

CallPlace CallAt(std::string_view text, std::size_t cursor) {
  int depth = 0;
  int argument = 0;
  for (std::size_t at = std::min(cursor, text.size()); at > 0; --at) {
    const char c = text[at - 1];
    if (c == ')') {
      ++depth;
    } else if (c == ',' && depth == 0) {
      ++argument;
    } else if (c == '(' && depth > 0) {
      --depth;
    } else if (c == '(') {
      // The compiler removes blanks, so a name may stand apart from its "(".
      std::size_t end = at - 1;
      while (end > 0 && text[end - 1] == ' ') --end;
      std::size_t start = end;
      while (start > 0 && IsWordChar(text[start - 1])) --start;
      std::string name(text.substr(start, end - start));
      for (char& ch : name) ch = Upper(ch);
      const int f = name.empty() ? -1 : FunctionNumber(name);
      if (f >= 0) return {f, argument};
      argument = 0;  // a parenthesis of its own: the call may lie further out
    }
  }
  return {};
}

CallHint HintFor(const CallPlace& place) {
  CallHint hint;
  if (place.function < 0 || place.function >= kFunctionCount) return hint;
  const FunctionHelp& help = FunctionHelps()[place.function];
  const auto count = static_cast<int>(help.arguments.size());
  int marked = place.argument;
  if (kIntrinsics[place.function].arguments == kAnyCount) marked = std::min(marked, count - 1);
  if (marked >= count) marked = -1;
  std::string* part = &hint.before;
  *part = std::string(help.name) + "(";
  for (int k = 0; k < count; ++k) {
    if (k == marked) {
      hint.current = help.arguments[k];
      part = &hint.after;
    } else {
      *part += help.arguments[k];
    }
    *part += k + 1 < count ? "," : ")";
  }
  return hint;
}

void FormulaPreview::Update(std::string_view formula) {
  static SwallowedNotices swallowed;
  const CalculationOutcome& outcome = calculator_.RunTyped(formula, false, &swallowed);
  result_.clear();
  error_.reset();
  if (outcome.kind == CalculationOutcome::Kind::kResult) result_ = outcome.result_text;
  if (outcome.kind == CalculationOutcome::Kind::kCompileFailed) error_ = outcome.error_place;
}

void FormulaPreview::Clear() {
  result_.clear();
  error_.reset();
}

}  // namespace numerella
