// SPDX-License-Identifier: GPL-3.0-or-later
// The expression compiler: translates a five-section formula text into a CompiledProgram.
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "compiler/compiled_program.h"

namespace numerella {

// A part of a text: 0-based byte offset and length in bytes.
struct TextSpan {
  std::size_t offset = 0;
  std::size_t length = 0;
  friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

// The five sections of a formula text: head, variables, parameters, constants, expression.
// Each separator is the first "@" of what is left, so the expression is everything after the
// fourth "@" and may hold more. Nothing when the text has fewer than four "@".
using FormulaSections = std::array<std::string_view, 5>;
std::optional<FormulaSections> SplitFormulaSections(std::string_view formula);

namespace compile_detail {
struct Workspace;
struct WorkspaceDeleter {
  void operator()(Workspace* workspace) const;
};
}  // namespace compile_detail

class Compiler {
 public:
  Compiler();

  // Compiles one formula. program.CompileFlag carries the listing request in and the
  // outcome (0 or -1) out. Outputs that are not written on a failure keep the caller's values.
  // All working memory is kept from one compilation to the next: once it has grown to the
  // size of the formulas compiled, compiling allocates nothing (the caller's program is
  // reused the same way when it passes the same one again).
  //
  // Limits: each section after the head holds at most 32,767 characters (longer ones are
  // listed as "* ERR. Espressione piu` Lunga di 32767 Caratteri"); the expression's working
  // text (blanks removed, enclosed in parentheses, unary signs rewritten, and then with its
  // function and operand marks) holds at most 32,767 characters in each of these forms, and
  // the program at most 32,767 codes. Beyond the last two the compilation fails as the
  // compiler's 16-bit counters would overflow: CompileFlag -1 without a listing line of its
  // own, and without ErrorSpan.
  void CompileFormula(std::string_view formula, CompiledProgram& program);

  // The longest section after the head that compiles (a typed formula is the expression):
  // counts and positions inside a section are 16-bit.
  static constexpr std::size_t kMaxSectionLength = 32767;

  // The check listing of the last compilation: lines ended by a carriage return.
  const std::string& CompileListing() const { return listing_; }
  void SetCompileListing(std::string text) { listing_ = std::move(text); }

  // Where the first error of the last compilation lies, for selecting it in the user's text:
  // a byte offset into the formula given to CompileFormula and a length. It is the part that
  // the first error line of the listing is about (whether or not the listing was asked for):
  // a declared name, or one of its characters; the surplus parenthesis (the first ")" without
  // a "(" when there are more ")", else the first "(" that is never closed); an operand (a bad
  // number, an undefined or too long name, the operand whose slot passes 255); the symbol at
  // which the syntax check stopped (for an expression that ends too early, the last symbol
  // written; an empty expression gives length 0 at its end); a call with a wrong argument
  // count, from its function name to its ")"; a section longer than 32,767 characters, whole.
  // Nothing after a successful compilation, for a formula without its four "@", and for a
  // failure at a limit of the 16-bit counters. The listing and every other output are the same
  // whether or not anyone reads it.
  const std::optional<TextSpan>& ErrorSpan() const { return error_span_; }

  // ErrorSpan relative to a part of the formula that starts at offset start (the typed text
  // after the calculation run's head, for example); nothing when the error lies before it.
  std::optional<TextSpan> ErrorSpanFrom(std::size_t start) const {
    if (!error_span_ || error_span_->offset < start) return std::nullopt;
    return TextSpan{error_span_->offset - start, error_span_->length};
  }

 private:
  std::string listing_;
  std::optional<TextSpan> error_span_;
  std::unique_ptr<compile_detail::Workspace, compile_detail::WorkspaceDeleter> work_;
};

}  // namespace numerella
