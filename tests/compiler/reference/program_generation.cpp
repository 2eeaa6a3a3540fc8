// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/program_generation.h"

#include <vector>

#include "reference/expression_marking.h"
#include "reference/function_table.h"

namespace numerella::reference::compile_detail {
namespace {

// A run of adjacent operand marks, kept as a linked list so that joining runs costs nothing.
// A plain parenthesised list leaves such a run behind; an operator uses the last mark of the
// run on its left and consumes the first mark of the run on its right.
struct MarkRun {
  int head = -1;
  int tail = -1;
  int size = 0;
};

// An operand (or run) of the argument being built, with the operator written before it.
struct Item {
  MarkRun marks;
  char op = 0;
};

// A "(" that is still open: a call of function f (f >= 0) or a plain group (f = -1).
struct OpenGroup {
  int function = -1;
  char op_before = 0;  // the operator that stands before the group in its parent
  std::size_t item_base = 0;
};

// Stands between two arguments of a group in the item list.
constexpr char kSeparator = ',';

}  // namespace

// The generator's lists, kept by the compiler between compilations: a long formula then
// reuses the memory of the previous one instead of paying for fresh pages every time.
struct GeneratorStorage {
  std::vector<int> ordinals;  // per mark: its operand ordinal
  std::vector<int> next;      // per mark: the next mark of its run
  std::vector<Item> items;
  std::vector<OpenGroup> groups;
};

void GeneratorStorageDeleter::operator()(GeneratorStorage* storage) const { delete storage; }

GeneratorStoragePtr NewGeneratorStorage() { return GeneratorStoragePtr(new GeneratorStorage); }

namespace {

int OperatorCode(char op) {
  switch (op) {
    case '^':
      return 1;
    case '*':
      return 2;
    case '/':
      return 3;
    case '+':
      return 4;
    default:
      return 5;
  }
}

int TwoDigitsAt(std::string_view text, std::size_t at) {
  return (text[at] - '0') * 10 + (text[at + 1] - '0');
}

class Generator {
 public:
  Generator(std::string& program, Findings& findings, GeneratorStorage& storage)
      : program_(program),
        findings_(findings),
        ordinals_(storage.ordinals),
        next_(storage.next),
        items_(storage.items),
        groups_(storage.groups) {
    ordinals_.clear();
    next_.clear();
    items_.clear();
    groups_.clear();
  }

  void Run(std::string_view marked) {
    int pending_function = -1;
    char pending_op = 0;
    for (std::size_t i = 0; i < marked.size() && !stopped_;) {
      const char c = marked[i];
      if (c == '#' || c == '@') {
        if (!IsMarkAt(marked, i, c)) return Stop();
        const int number = TwoDigitsAt(marked, i + 2);
        if (c == '#') {
          pending_function = number;
        } else {
          items_.push_back({Single(NewMark(number)), pending_op});
          pending_op = 0;
        }
        i += 4;
        continue;
      }
      if (c == '(') {
        groups_.push_back({pending_function, pending_op, items_.size()});
        pending_function = -1;
        pending_op = 0;
      } else if (c == ',' || c == ')') {
        if (groups_.empty()) return Stop();  // a ")" without a "(" before it
        // A group's arguments are reduced only when it closes, after every group inside it.
        if (c == ',') {
          items_.push_back({{}, kSeparator});
        } else {
          CloseGroup();
        }
      } else {
        pending_op = c;
      }
      ++i;
    }
    if (!groups_.empty()) Stop();
  }

 private:
  void Stop() {
    stopped_ = true;
    findings_.Fail();
  }

  // A code that does not fit one byte fails the compilation without a line and is skipped.
  void Emit(int code) {
    if (code < 0 || code > 255) {
      findings_.Fail();
      return;
    }
    program_.push_back(static_cast<char>(code));
  }

  int NewMark(int ordinal) {
    ordinals_.push_back(ordinal);
    next_.push_back(-1);
    return static_cast<int>(ordinals_.size()) - 1;
  }
  static MarkRun Single(int mark) { return {mark, mark, 1}; }

  // Reduces every operator of one precedence level in the items [base, end), left to right;
  // returns the new end of the range.
  std::size_t ReduceLevel(std::size_t base, std::size_t end, std::string_view level) {
    std::size_t kept = base;
    for (std::size_t j = base + 1; j < end; ++j) {
      const Item item = items_[j];
      if (level.find(item.op) == std::string_view::npos) {
        items_[++kept] = item;
        continue;
      }
      MarkRun& left = items_[kept].marks;
      Emit(OperatorCode(item.op));
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
    end = ReduceLevel(base, end, "^");
    end = ReduceLevel(base, end, "*/");
    ReduceLevel(base, end, "+-");
    AppendRun(reduced, items_[base].marks);
  }

  void CloseGroup() {
    const OpenGroup group = groups_.back();
    groups_.pop_back();
    MarkRun reduced;
    std::size_t start = group.item_base;
    for (std::size_t j = group.item_base; j <= items_.size(); ++j) {
      if (j == items_.size() || items_[j].op == kSeparator) {
        ReduceArgument(start, j, reduced);
        start = j + 1;
      }
    }
    items_.resize(group.item_base);
    MarkRun result = reduced;
    if (group.function >= 0) {
      EmitCall(group.function, reduced);
      if (reduced.size == 0) return Stop();
      result = Single(reduced.head);  // the call's value is left in its first register
    }
    items_.push_back({result, group.op_before});
  }

  void EmitCall(int f, const MarkRun& args) {
    const int n = args.size;
    if (f < static_cast<int>(kArgCountTable.size())) CheckCount(f, n);
    Emit(f + 10);
    Emit(n);
    int mark = args.head;
    for (int k = 0; k < n; ++k, mark = next_[mark]) Emit(ordinals_[mark]);
  }

  void CheckCount(int f, int n) {
    const std::string_view name = FunctionSlot(f);
    if (n == 0) findings_.Error({"* ERR. ", "Nessun Argomento nella Funzione ", name});
    int expected = kArgCountTable[f] - '0';
    if (expected == 0) expected = n;
    if (expected != n) {
      findings_.Error({"* ERR. ", BlankSigned(n), " Argoment", n == 1 ? "o" : "i",
                       " nella Funzione ", name, " Invece di ", BlankSigned(expected)});
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
  std::vector<int>& ordinals_;
  std::vector<int>& next_;
  std::vector<Item>& items_;
  std::vector<OpenGroup>& groups_;
  bool stopped_ = false;
};

}  // namespace

void GenerateProgram(std::string_view marked, std::string& program, Findings& findings,
                     GeneratorStorage& storage) {
  program.clear();
  Generator generator(program, findings, storage);
  generator.Run(marked);
}

}  // namespace numerella::reference::compile_detail
