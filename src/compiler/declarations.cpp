// SPDX-License-Identifier: GPL-3.0-or-later
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

// Appends the items of text[from, to) of section number s (separated by ",") to the packed
// names, each cut to four characters and padded with blanks.
void PackItems(std::uint32_t s, std::size_t from, std::size_t to, Declarations& d) {
  const std::string_view text = d.sections[s].text;
  std::size_t start = from;
  for (std::size_t k = from; k <= to; ++k) {
    if (k < to && text[k] != ',') continue;
    const std::string_view item = text.substr(start, k - start);
    d.declared.push_back(
        {static_cast<std::uint32_t>(start), static_cast<std::uint32_t>(item.size()), s});
    const std::string_view cut = item.substr(0, kNameWidth);
    d.names.append(cut);
    d.names.append(kNameWidth - cut.size(), ' ');
    start = k + 1;
  }
}

// Whether further checks of names can change nothing: no lines are wanted and the error shown
// to the user has been found (the compilation has failed).
bool NothingMoreToFind(const Findings& findings) {
  return !findings.listing_wanted() && findings.placed();
}

std::string_view ItemOf(const Declarations& d, const DeclaredName& name) {
  return std::string_view(d.sections[name.section].text).substr(name.begin, name.length);
}

// Where text[begin, end) of the name's section was written; worked out only while no error has
// its place yet.
Span PlaceOf(const Declarations& d, const DeclaredName& name, std::size_t begin, std::size_t end,
             const Findings& findings) {
  return findings.placed() ? Span{} : d.sections[name.section].SpanOf(begin, end);
}

Span PlaceOfItem(const Declarations& d, const DeclaredName& name, const Findings& findings) {
  return PlaceOf(d, name, name.begin, name.begin + name.length, findings);
}

std::string_view SlotText(const Declarations& d, int slot_index) {
  return std::string_view(d.names).substr(static_cast<std::size_t>(slot_index) * kNameWidth,
                                          kNameWidth);
}

// The long-name lines of slots [first, first + count): a name that is not the last one of its
// list gets the wide gap.
void ListLongNames(const Declarations& d, int first, int count, Findings& findings) {
  for (int i = 0; i < count && !NothingMoreToFind(findings); ++i) {
    const DeclaredName& name = d.declared[first + i];
    if (name.length <= kNameWidth) continue;
    if (!findings.Error(PlaceOfItem(d, name, findings))) continue;
    const std::string_view item = ItemOf(d, name);
    findings.Line({"* ERR. ", item, i + 1 == count ? "  " : "    ",
                   "Nome piu` Lungo di 4 Caratteri, Troncato a ", item.substr(0, kNameWidth)});
  }
}

// Checks one declared name (slot index i of its section); returns whether it had an error.
bool CheckOneName(const Declarations& d, int slot_index, int i, Findings& findings) {
  const DeclaredName& name = d.declared[slot_index];
  if (name.length == 0) {
    if (findings.Error(PlaceOf(d, name, name.begin, name.begin, findings))) {
      findings.Line({"* ERR. ", "   ", "Variabile ", BlankSigned(i), " NON definita"});
    }
    return true;
  }
  const std::string_view text = SlotText(d, slot_index);
  const std::string_view own = ItemOf(d, name).substr(0, kNameWidth);
  bool error = false;
  if (!IsUpperLetter(UpperLatin1(own[0]))) {
    error = true;
    if (findings.Error(PlaceOfItem(d, name, findings))) {
      findings.Line({"* ERR. ", text, "  ", "il Nome NON Inizia con una Lettera"});
    }
  }
  for (std::size_t k = 0; k < own.size(); ++k) {
    const char upper = UpperLatin1(own[k]);
    if (IsDigit(upper) || IsUpperLetter(upper) || upper == '_') continue;
    error = true;
    const std::size_t at = name.begin + k;
    if (findings.Error(PlaceOf(d, name, at, at + 1, findings))) {
      findings.Line(
          {"* ERR. ", text, "  ", std::string_view(&upper, 1), "   ", "Carattere NON Valido"});
    }
  }
  return error;
}

// Checks slots [first, first + count); lists each name as in error or O.K.
void CheckNames(const Declarations& d, int first, int count, Findings& findings) {
  for (int i = 0; i < count && !NothingMoreToFind(findings); ++i) {
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
  for (int i = 0; i < count && !NothingMoreToFind(findings); ++i) {
    const std::string_view slot = SlotText(d, first + i);
    const int found =
        d.table.FirstSlot(SlotKey(slot.data()), others_first + 1, others_first + others_count);
    if (found == 0) continue;
    const int position = (found - 1 - others_first) * kNameWidth + 1;
    if (findings.Error(PlaceOfItem(d, d.declared[first + i], findings))) {
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

void NameSection::Read(std::string_view section, std::uint32_t section_offset) {
  written = section;
  offset = section_offset;
  text.resize(section.size());
  std::size_t kept = 0;
  for (char c : section) {
    text[kept] = c;
    kept += c != ' ';
  }
  text.resize(kept);
}

Span NameSection::SpanOf(std::size_t begin, std::size_t end) const {
  // Position k of text is the k-th character of the section that is not a blank.
  std::size_t seen = 0;
  std::size_t first = written.size();
  std::size_t last = written.size();
  for (std::size_t k = 0; k < written.size(); ++k) {
    if (written[k] == ' ') continue;
    if (seen == begin) first = k;
    if (seen + 1 == end) last = k;
    ++seen;
  }
  const auto at = [&](std::size_t k) { return offset + static_cast<std::uint32_t>(k); };
  return end > begin ? Span{at(first), at(last) + 1} : Span{at(first), at(first)};
}

void ReadDeclarations(const std::string_view (&sections)[3], const std::uint32_t (&offsets)[3],
                      Declarations& d, Findings& findings) {
  bool all_blank = true;
  for (int s = 0; s < 3; ++s) {
    // The calculation run's sections are blank: nothing to read in them.
    if (sections[s].find_first_not_of(' ') == std::string_view::npos) {
      d.sections[s].text.clear();
      d.sections[s].written = sections[s];
      d.sections[s].offset = offsets[s];
    } else {
      d.sections[s].Read(sections[s], offsets[s]);
      all_blank = false;
    }
  }
  if (all_blank && !findings.listing_wanted()) {
    // Nothing declared and no lines to write: what the full reading below comes to.
    d.var_count = d.par_count = d.const_count = 0;
    d.names.clear();
    d.declared.clear();
    d.const_values.clear();
    d.table.Build({});
    findings.DropListingIfClean();
    return;
  }
  const NameSection& vars = d.sections[0];
  const NameSection& pars = d.sections[1];
  const NameSection& consts = d.sections[2];
  // The constants: names before the first "/", value texts after it.
  const std::size_t slash = consts.text.find('/');
  const std::size_t names_end = slash == std::string::npos ? consts.text.size() : slash;
  const std::string_view values = slash == std::string::npos
                                      ? std::string_view()
                                      : std::string_view(consts.text).substr(slash + 1);

  d.var_count = CountItems(vars.text);
  d.par_count = CountItems(pars.text);
  d.const_count = CountItems(std::string_view(consts.text).substr(0, names_end));
  d.names.clear();
  d.declared.clear();
  if (d.var_count >= 1) PackItems(0, 0, vars.text.size(), d);
  if (d.par_count >= 1) PackItems(1, 0, pars.text.size(), d);
  if (d.const_count >= 1) PackItems(2, 0, names_end, d);
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
