// SPDX-License-Identifier: GPL-3.0-or-later
#include "reference/declarations.h"

#include "reference/name_slots.h"

namespace numerella::reference::compile_detail {
namespace {

bool IsUpperLetter(char c) { return c >= 'A' && c <= 'Z'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Checks one name slot; returns whether it had an error.
bool CheckOneName(std::string_view slot, int index, Findings& findings) {
  const std::size_t first = slot.find_first_not_of(' ');
  if (first == std::string_view::npos) {
    findings.Error({"* ERR. ", "   ", "Variabile ", BlankSigned(index), " NON definita"});
    return true;
  }
  const std::string_view text = slot.substr(first);
  const std::string_view own = text.substr(0, text.find_last_not_of(' ') + 1);
  bool error = false;
  if (!IsUpperLetter(UpperLatin1(own[0]))) {
    findings.Error({"* ERR. ", text, "  ", "il Nome NON Inizia con una Lettera"});
    error = true;
  }
  for (char c : own) {
    const char upper = UpperLatin1(c);
    if (!IsDigit(upper) && !IsUpperLetter(upper) && upper != '_') {
      findings.Error(
          {"* ERR. ", text, "  ", std::string_view(&upper, 1), "   ", "Carattere NON Valido"});
      error = true;
    }
  }
  return error;
}

// Reports every slot of names that equals a whole slot of others (the first such slot).
// The line ends with the character position of that slot in others (1, 5, 9, ...).
void CheckClashes(std::string_view names, int count, std::string_view others,
                  std::string_view prefix, std::string_view middle, std::string_view suffix,
                  Findings& findings) {
  NameSlots other_slots;
  other_slots.AppendPacked(others);
  for (int i = 0; i < count; ++i) {
    const std::string_view slot = names.substr(i * kNameWidth, kNameWidth);
    const int found = other_slots.Find(slot);
    if (found == 0) continue;
    const int position = (found - 1) * kNameWidth + 1;
    findings.Error({prefix, slot, middle, BlankSigned(i), suffix, BlankSigned(position)});
  }
}

// Packs and checks the names of one section; returns the packed names.
std::string PackAndCheck(std::string_view section, int count, Findings& findings) {
  if (count < 1) return {};
  std::string packed = PackNames(section, kNameWidth, findings);
  CheckNames(packed, count, kNameWidth, findings);
  return packed;
}

}  // namespace

std::string PackNames(std::string_view list, int width, Findings& findings) {
  const std::vector<std::string_view> items = SplitItems(list);
  std::string packed;
  packed.reserve(items.size() * width);
  for (std::size_t i = 0; i < items.size(); ++i) {
    std::string_view item = items[i];
    if (item.size() > static_cast<std::size_t>(width)) {
      const std::string_view gap = i + 1 == items.size() ? "  " : "    ";
      findings.Error({"* ERR. ", item, gap, "Nome piu` Lungo di ", std::to_string(width),
                      " Caratteri, Troncato a ", item.substr(0, width)});
      item = item.substr(0, width);
    }
    packed.append(item);
    packed.append(width - item.size(), ' ');
  }
  return packed;
}

void CheckNames(std::string_view packed, int count, int width, Findings& findings) {
  for (int i = 0; i < count; ++i) {
    const std::string_view slot = packed.substr(static_cast<std::size_t>(i) * width, width);
    if (!CheckOneName(slot, i, findings)) {
      const std::string_view text = slot.substr(slot.find_first_not_of(' '));
      findings.Line({"* ", text, "  ", " O.K."});
    }
  }
}

Declarations ReadDeclarations(std::string_view variables, std::string_view parameters,
                              std::string_view constants, Findings& findings) {
  Declarations d;
  const std::string var_section = RemoveBlanks(variables);
  d.var_count = CountItems(var_section);
  findings.Line({"# Variabili  ", BlankSigned(d.var_count)});
  d.var_names = PackAndCheck(var_section, d.var_count, findings);
  findings.DropListingIfClean();

  findings.Line({"*** Controllo Sintattico dei Parametri..."});
  const std::string par_section = RemoveBlanks(parameters);
  d.par_count = CountItems(par_section);
  findings.Line({"# Parametri  ", BlankSigned(d.par_count)});
  if (d.par_count >= 1) {
    d.par_names = PackAndCheck(par_section, d.par_count, findings);
    CheckClashes(d.var_names, d.var_count, d.par_names, "* ERR. Nome ", " della Variabile ",
                 " Eguale Nome del Parametro ", findings);
  }
  findings.DropListingIfClean();

  findings.Line({"*** Controllo Sintattico delle Costanti..."});
  std::string names;
  std::string values;
  SplitAtFirst(RemoveBlanks(constants), '/', names, values);
  d.const_count = CountItems(names);
  findings.Line({"# Costanti     ", BlankSigned(d.const_count)});
  if (d.const_count >= 1) {
    d.const_names = PackAndCheck(names, d.const_count, findings);
    CheckClashes(d.const_names, d.const_count, d.var_names + d.par_names, "* Nome ",
                 " della Costante ", " Eguale Nome di Var. o Par.", findings);
    // Each declared constant takes its own value text; one without a text reads 0.
    const std::vector<std::string_view> texts = SplitItems(values);
    for (int i = 0; i < d.const_count; ++i) {
      d.const_values.emplace_back(i < static_cast<int>(texts.size()) ? texts[i] : "");
    }
  }
  findings.DropListingIfClean();
  return d;
}

}  // namespace numerella::reference::compile_detail
