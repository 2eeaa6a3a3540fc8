// SPDX-License-Identifier: GPL-3.0-or-later
#include "compiler/program_generation.h"

#include "compiler/compiled_program.h"

namespace numerella::compile_detail {
namespace {

// The generator's lists live in the compiler's kept vectors, sized once per compilation for
// the most that the symbols can need, and are used as plain stacks through pointers: every
// operand and call makes at most one mark, every symbol at most one item or group, and the
// program gets at most four codes per symbol (three per operator; per call two and one per
// argument, and every mark is the argument of at most one call but for the first mark of a
// call's arguments, which carries the call's value on into the next).
class Generator {
 public:
  Generator(std::size_t symbol_count, std::string& program, Findings& findings, GeneratorWork& work)
      : program_(program), findings_(findings) {
    const std::size_t room = symbol_count + 1;
    if (work.ordinals.size() < room) work.ordinals.resize(room);
    if (work.next.size() < room) work.next.resize(room);
    if (work.items.size() < room) work.items.resize(room);
    if (work.groups.size() < room) work.groups.resize(room);
    ordinals_ = work.ordinals.data();
    next_ = work.next.data();
    items_ = work.items.data();
    groups_ = work.groups.data();
    if (work.codes.size() < 4 * room) work.codes.resize(4 * room);
    code_ = work.codes.data();
  }

  // Hands over the codes written (a short program fits the program text's own room).
  ~Generator() { program_.assign(code_, code_count_); }

  void Run(std::span<const Symbol> symbols) {
    int pending_function = -1;
    std::uint32_t pending_call_begin = 0;
    Item pending_op;
    for (const Symbol& s : symbols) {
      switch (s.kind) {
        case Symbol::kFunction:
          pending_function = s.number;
          pending_call_begin = s.where.begin;
          break;
        case Symbol::kOperand:
          pending_op.marks = Single(NewMark(s.number));
          items_[item_count_++] = pending_op;
          pending_op = {};
          break;
        case Symbol::kOpen:
          groups_[group_count_++] = {pending_function, pending_op, pending_call_begin, item_count_};
          pending_function = -1;
          pending_op = {};
          break;
        case Symbol::kComma:
        case Symbol::kClose:
          if (group_count_ == 0) return Stop();  // a ")" without a "(" before it
          // A group's arguments are reduced only when it closes, after every group inside it.
          if (s.kind == Symbol::kComma) {
            Item separator;
            separator.separator = true;
            items_[item_count_++] = separator;
          } else {
            CloseGroup(s.where.end);
          }
          break;
        case Symbol::kOperator:
          pending_op.code = s.code;
          pending_op.level = s.level;
          break;
        case Symbol::kStray:
          return Stop();
      }
      if (stopped_) return;
    }
    if (group_count_ != 0) Stop();
  }

 private:
  void Stop() {
    stopped_ = true;
    findings_.Fail();
  }

  // A code that does not fit one byte, or a program that would pass the 16-bit length the
  // evaluator reads, fails the compilation without a line; the code is skipped. (Within the
  // working-text limit a program stays far below that length: every instruction needs a few
  // characters of marked text.)
  void Emit(int code) {
    if (code < 0 || code > 255 || code_count_ >= kMaxProgramLength) {
      findings_.Fail();
      return;
    }
    code_[code_count_++] = static_cast<char>(code);
  }

  int NewMark(int ordinal) {
    ordinals_[mark_count_] = ordinal;
    next_[mark_count_] = -1;
    return static_cast<int>(mark_count_++);
  }
  static MarkRun Single(int mark) { return {mark, mark, 1}; }

  // Reduces every operator of one precedence level in the items [base, end), left to right;
  // returns the new end of the range.
  std::size_t ReduceLevel(std::size_t base, std::size_t end, int level) {
    std::size_t kept = base;
    for (std::size_t j = base + 1; j < end; ++j) {
      const Item item = items_[j];
      if (item.code == 0 || item.level != level) {
        items_[++kept] = item;
        continue;
      }
      MarkRun& left = items_[kept].marks;
      Emit(item.code);
      Emit(ordinals_[left.tail]);
      Emit(ordinals_[item.marks.head]);
      // The right operand's mark is consumed; the rest of its run joins the left run.
      if (item.marks.size > 1) {
        next_[left.tail] = next_[item.marks.head];
        left.tail = item.marks.tail;
        left.size += item.marks.size - 1;
      }
    }
    return kept + 1;
  }

  // Reduces the argument held by the items [base, end) and appends what is left of it to the
  // group's reduced marks.
  void ReduceArgument(std::size_t base, std::size_t end, MarkRun& reduced) {
    if (end == base) return;
    // Only the levels that occur need a pass.
    unsigned levels = 0;
    for (std::size_t j = base + 1; j < end; ++j) {
      if (items_[j].code != 0) levels |= 1u << items_[j].level;
    }
    for (int level = 0; level < kPrecedenceLevels; ++level) {
      if (levels & (1u << level)) end = ReduceLevel(base, end, level);
    }
    AppendRun(reduced, items_[base].marks);
  }

  void CloseGroup(std::uint32_t close_end) {
    const OpenGroup group = groups_[--group_count_];
    MarkRun reduced;
    std::size_t start = group.item_base;
    for (std::size_t j = group.item_base; j <= item_count_; ++j) {
      if (j == item_count_ || items_[j].separator) {
        ReduceArgument(start, j, reduced);
        start = j + 1;
      }
    }
    item_count_ = group.item_base;
    Item result = group.before;
    result.marks = reduced;
    if (group.function >= 0) {
      EmitCall(group.function, reduced, {group.call_begin, close_end});
      if (reduced.size == 0) return Stop();
      result.marks = Single(reduced.head);  // the call's value is left in its first register
    }
    items_[item_count_++] = result;
  }

  void EmitCall(int f, const MarkRun& args, Span call) {
    const int n = args.size;
    if (f < kFunctionCount) CheckCount(f, n, call);
    Emit(CallCode(f));
    Emit(n);
    int mark = args.head;
    for (int k = 0; k < n; ++k, mark = next_[mark]) Emit(ordinals_[mark]);
  }

  // The function's name as the listing writes it: right-aligned in five characters.
  static std::string_view PaddedName(int f, char (&buffer)[kMaxFunctionNameLength]) {
    const std::string_view name = kIntrinsics[f].name;
    const std::size_t blanks = kMaxFunctionNameLength - name.size();
    for (std::size_t k = 0; k < kMaxFunctionNameLength; ++k) {
      buffer[k] = k < blanks ? ' ' : name[k - blanks];
    }
    return {buffer, kMaxFunctionNameLength};
  }

  void CheckCount(int f, int n, Span call) {
    char buffer[kMaxFunctionNameLength];
    if (n == 0 && findings_.Error(call)) {
      findings_.Line({"* ERR. ", "Nessun Argomento nella Funzione ", PaddedName(f, buffer)});
    }
    const int expected = WantedArguments(CallCode(f), n);
    if (expected != n && findings_.Error(call)) {
      findings_.Line({"* ERR. ", BlankSigned(n), " Argoment", n == 1 ? "o" : "i",
                      " nella Funzione ", PaddedName(f, buffer), " Invece di ",
                      BlankSigned(expected)});
    }
  }

  void AppendRun(MarkRun& to, const MarkRun& more) {
    if (more.size == 0) return;
    if (to.size == 0) {
      to = more;
      return;
    }
    next_[to.tail] = more.head;
    to.tail = more.tail;
    to.size += more.size;
  }

  std::string& program_;
  Findings& findings_;
  char* code_;
  std::size_t code_count_ = 0;
  int* ordinals_;
  int* next_;
  std::size_t mark_count_ = 0;
  Item* items_;
  std::size_t item_count_ = 0;
  OpenGroup* groups_;
  std::size_t group_count_ = 0;
  bool stopped_ = false;
};

}  // namespace

void GenerateProgram(std::span<const Symbol> symbols, std::string& program, Findings& findings,
                     GeneratorWork& work) {
  Generator(symbols.size(), program, findings, work).Run(symbols);
}

}  // namespace numerella::compile_detail
