// SPDX-License-Identifier: GPL-3.0-or-later
// Help while a formula is typed, without any window: the value the formula would give, the
// place of its first error in the typed text, the intrinsic functions whose names start with
// the letters before the cursor, and the argument of the call the cursor is in. The expression
// box only shows what this finds. Positions count the typed text's bytes, which are the box's
// characters (one Latin-1 byte each).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calculation/calculation.h"

namespace numerella {

// An intrinsic function as the reference card writes it.
struct FunctionHelp {
  int number = 0;
  std::string_view name;
  std::string call;                    // "C_N(x,m,s)"
  std::vector<std::string> arguments;  // "x", "m", "s"
  // The card's words for it ("Seno di x"; for a distribution its row and column:
  // "Normale o di Gauss, Funz. di Distr. Cumulativa"), in the card's bytes (0xE2, 0xFD).
  std::string description;
};

// Every intrinsic function in the order of its number, read from the card's entries (and the
// entries of the functions the card leaves out).
const std::vector<FunctionHelp>& FunctionHelps();

// The name being typed before the cursor and the functions it may become.
struct NameCompletion {
  std::size_t start = 0;       // where the typed letters begin
  std::size_t length = 0;      // how many there are, up to the cursor
  std::vector<int> functions;  // numbers of the functions whose names start with them, any
                               // case, in alphabetical order of the names
};
NameCompletion CompleteName(std::string_view text, std::size_t cursor);

// What replaces the typed letters when function f is chosen: its name and "(", or only the
// name when a "(" follows already.
std::string CompletionText(std::string_view text, const NameCompletion& completion, int f);

// The call the cursor stands in: the innermost "(" not yet closed before the cursor that
// follows an intrinsic function's name, and the argument (from 0) the cursor is in.
struct CallPlace {
  int function = -1;  // -1: the cursor is in no call
  int argument = 0;
};
CallPlace CallAt(std::string_view text, std::size_t cursor);

// The card's argument list of a call split around the argument the cursor is in; current is
// empty when the call has more arguments than the function takes. Functions of any count mark
// their last argument ("...Xn") from the third on.
struct CallHint {
  std::string before;
  std::string current;
  std::string after;
};
CallHint HintFor(const CallPlace& place);

// Runs a typed formula as CALCOLO would, with a compiler and an outcome of its own (their
// memory is reused from one formula to the next), without the check listing, and with every
// notice of the evaluation swallowed: nothing reaches the user but what it returns.
class FormulaPreview {
 public:
  void Update(std::string_view formula);
  // The result text CALCOLO would show; empty for a blank, failing or not yet run formula.
  const std::string& Result() const { return result_; }
  // Where the formula's first error lies, when it failed to compile.
  const std::optional<TextSpan>& Error() const { return error_; }
  void Clear();

 private:
  Calculator calculator_;
  std::string result_;
  std::optional<TextSpan> error_;
};

}  // namespace numerella
