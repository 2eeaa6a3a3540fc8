#include "compiler/declarations.h"

namespace numerella::compile_detail {
namespace {

bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }

// 0 for an empty list, else the number of "," plus 1.
int CountItems(std::string_view list) {
  if (list.empty()) return 0;
  int count = 1;
  for (char c : list) count += c == ',';
  return count;
}

// Appends the items of text[from, to) (separated by ",") to the packed names, each cut to four
// characters and padded with blanks.
void PackItems(const NameSection& s, std::size_t from, std::size_t to, Declarations& d) {
  const std::string_view text = s.text;
  std::size_t start = from;
  for (std::size_t k = from; k <= to; ++k) {
    if (k < to && text[k] != ',') continue;
    const std::string_view item = text.substr(start, k - start);
    d.declared.push_back({item, &s, static_cast<std::uint32_t>(start)});
    const std::string_view cut = item.substr(0, kNameWidth);
    d.names.append(cut);
    d.names.append(kNameWidth - cut.size(), ' ');
    start = k + 1;
  }
}

Span SpanOfItem(const DeclaredName& name) {
  return name.section->SpanOf(name.begin, name.begin + name.item.size());
}

std::string_view SlotText(const Declarations& d, int slot_index) {
  return std::string_view(d.names).substr(static_cast<std::size_t>(slot_index) * kNameWidth,
                                          kNameWidth);
}

// The long-name lines of slots [first, first + count): a name that is not the last one of its
// list gets the wide gap.
void ListLongNames(const Declarations& d, int first, int count, Findings& findings) {
  for (int i = 0; i < count; ++i) {
    const DeclaredName& name = d.declared[first + i];
    if (name.item.size() <= kNameWidth) continue;
    if (!findings.Error(SpanOfItem(name))) continue;
    findings.Line({"* ERR. ", name.item, i + 1 == count ? "  " : "    ",
                   "Nome piu` Lungo di 4 Caratteri, Troncato a ", name.item.substr(0, kNameWidth)});
  }
}

// Checks one declared name (slot index i of its section); returns whether it had an error.
bool CheckOneName(const Declarations& d, int slot_index, int i, Findings& findings) {
  const DeclaredName& name = d.declared[slot_index];
  if (name.item.empty()) {
    const Span at = name.section->SpanOf(name.begin, name.begin);
    if (findings.Error(at)) findings.Line({"* ERR. ", "   ", "Variabile ", BlankSigned(i), " NON definita"});
    return true;
  }
  const std::string_view text = SlotText(d, slot_index);
  const std::string_view own = name.item.substr(0, kNameWidth);
  bool error = false;
  if (!IsUpperLetter(UpperLatin1(own[0]))) {
    error = true;
    if (findings.Error(SpanOfItem(name))) {
      findings.Line({"* ERR. ", text, "  ", "il Nome NON Inizia con una Lettera"});
    }
  }
  for (std::size_t k = 0; k < own.size(); ++k) {
    const char upper = UpperLatin1(own[k]);
    if (IsDigit(upper) || IsUpperLetter(upper) || upper == '_') continue;
    error = true;
    const std::uint32_t at = name.begin + static_cast<std::uint32_t>(k);
    if (findings.Error(name.section->SpanOf(at, at + 1))) {
      findings.Line({"* ERR. ", text, "  ", std::string_view(&upper, 1), "   ",
                     "Carattere NON Valido"});
    }
  }
  return error;
}

// Checks slots [first, first + count); lists each name as in error or O.K.
void CheckNames(const Declarations& d, int first, int count, Findings& findings) {
  for (int i = 0; i < count; ++i) {
    if (!CheckOneName(d, first + i, i, findings)) {
      findings.Line({"* ", SlotText(d, first + i), "  ", " O.K."});
    }
  }
}

// Reports every slot of [first, first + count) whose four characters equal a whole slot of
// [others_first, others_first + others_count); the line ends with the character position of
// the first such slot among the others (1, 5, 9, ...).
void CheckClashes(const Declarations& d, int first, int count, int others_first, int others_count,
                  std::string_view prefix, std::string_view middle, std::string_view suffix,
                  Findings& findings) {
  for (int i = 0; i < count; ++i) {
    const std::string_view slot = SlotText(d, first + i);
    const int found = d.table.FirstSlot(SlotKey(slot.data()), others_first + 1,
                                        others_first + others_count);
    if (found == 0) continue;
    const int position = (found - 1 - others_first) * kNameWidth + 1;
    if (findings.Error(SpanOfItem(d.declared[first + i]))) {
      findings.Line({prefix, slot, middle, BlankSigned(i), suffix, BlankSigned(position)});
    }
  }
}

void ListNames(const Declarations& d, int first, int count, Findings& findings) {
  ListLongNames(d, first, count, findings);
  CheckNames(d, first, count, findings);
}

// The value texts of the declared constants: the items after the "/", paired by position; a
// constant without a text gets an empty one.
void ReadConstValues(std::string_view values, Declarations& d) {
  d.const_values.clear();
  std::size_t start = 0;
  for (int i = 0; i < d.const_count; ++i) {
    if (start > values.size()) {
      d.const_values.emplace_back();
      continue;
    }
    std::size_t comma = values.find(',', start);
    if (comma == std::string_view::npos) comma = values.size();
    d.const_values.push_back(values.substr(start, comma - start));
    start = comma + 1;
  }
}

}  // namespace

void NameSection::Read(std::string_view section, std::uint32_t offset) {
  text.clear();
  at.clear();
  for (std::size_t k = 0; k < section.size(); ++k) {
    if (section[k] == ' ') continue;
    text.push_back(section[k]);
    at.push_back(offset + static_cast<std::uint32_t>(k));
  }
  at.push_back(offset + static_cast<std::uint32_t>(section.size()));
}

void ReadDeclarations(const std::string_view (&sections)[3], const std::uint32_t (&offsets)[3],
                      Declarations& d, Findings& findings) {
  for (int s = 0; s < 3; ++s) d.sections[s].Read(sections[s], offsets[s]);
  const NameSection& vars = d.sections[0];
  const NameSection& pars = d.sections[1];
  const NameSection& consts = d.sections[2];
  // The constants: names before the first "/", value texts after it.
  const std::size_t slash = consts.text.find('/');
  const std::size_t names_end = slash == std::string::npos ? consts.text.size() : slash;
  const std::string_view values =
      slash == std::string::npos ? std::string_view() : std::string_view(consts.text).substr(slash + 1);

  d.var_count = CountItems(vars.text);
  d.par_count = CountItems(pars.text);
  d.const_count = CountItems(std::string_view(consts.text).substr(0, names_end));
  d.names.clear();
  d.declared.clear();
  if (d.var_count >= 1) PackItems(vars, 0, vars.text.size(), d);
  if (d.par_count >= 1) PackItems(pars, 0, pars.text.size(), d);
  if (d.const_count >= 1) PackItems(consts, 0, names_end, d);
  ReadConstValues(values, d);
  d.table.Build(d.names);

  const int v = d.var_count;
  const int p = d.par_count;
  const int c = d.const_count;
  if (findings.listing_wanted()) findings.Line({"# Variabili  ", BlankSigned(v)});
  if (v >= 1) ListNames(d, 0, v, findings);
  findings.DropListingIfClean();

  findings.Line({"*** Controllo Sintattico dei Parametri..."});
  if (findings.listing_wanted()) findings.Line({"# Parametri  ", BlankSigned(p)});
  if (p >= 1) {
    ListNames(d, v, p, findings);
    CheckClashes(d, 0, v, v, p, "* ERR. Nome ", " della Variabile ", " Eguale Nome del Parametro ",
                 findings);
  }
  findings.DropListingIfClean();

  findings.Line({"*** Controllo Sintattico delle Costanti..."});
  if (findings.listing_wanted()) findings.Line({"# Costanti     ", BlankSigned(c)});
  if (c >= 1) {
    ListNames(d, v + p, c, findings);
    CheckClashes(d, v + p, c, 0, v + p, "* Nome ", " della Costante ",
                 " Eguale Nome di Var. o Par.", findings);
  }
  findings.DropListingIfClean();
}

}  // namespace numerella::compile_detail
