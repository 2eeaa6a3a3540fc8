// SPDX-License-Identifier: GPL-3.0-or-later
#include "compilation_record.h"

#include <zlib.h>

#include <cinttypes>
#include <cstdint>
#include <cstdio>

#include "table.h"

namespace numerella::recorded {
namespace {

// The 64-bit FNV-1a hash of text in hexadecimal, or its two halves combined in 32 bits.
std::string Hash(std::string_view text, bool folded) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : text) hash = (hash ^ static_cast<unsigned char>(c)) * 0x100000001b3u;
  char out[17];
  std::snprintf(out, sizeof out, "%0*" PRIx64, folded ? 8 : 16,
                folded ? (hash ^ hash >> 32) & 0xffffffffu : hash);
  return out;
}

}  // namespace

std::string Digest(std::string_view field) { return "#" + Hash(field, true); }

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    char code[5];
    std::snprintf(code, sizeof code, "\\x%02x", byte);
    const std::size_t named = std::string_view("\\\r\n\t").find(c);
    out += named != std::string_view::npos ? std::string{'\\', "\\rnt"[named]}
           : byte >= 0x20 && byte < 0x7f   ? std::string(1, c)
                                           : code;
  }
  return out;
}

std::string CaseId(std::string_view formula, bool listing) {
  return Hash(formula, false) + (listing ? "/1" : "/0");
}

Row Outputs(Compiler& compiler, std::string_view formula, bool listing) {
  CompiledProgram p{7, 7, {9.0, {}, -0.0}, 42, "keep", "old", listing ? -1 : 0};
  compiler.SetCompileListing("left from before\r");
  compiler.CompileFormula(formula, p);
  std::string map, values;
  for (std::size_t i = 0; i < p.OperandMap.size(); ++i) {
    map.append(i ? " " : "").append(std::to_string(CodeAt(p.OperandMap, i)));
  }
  for (const Value& v : p.ValueTable) {
    char text[32] = "-";
    if (v) std::snprintf(text, sizeof text, "%.17g", *v);
    values.append(values.empty() ? "" : " ").append(text);
  }
  const auto& span = compiler.ErrorSpan();
  return {std::to_string(p.CompileFlag),
          std::to_string(p.VarCount) + "/" + std::to_string(p.ParCount),
          std::to_string(p.LastOperand),
          ProgramCodes(p.Program),
          map,
          values,
          compiler.CompileListing(),
          span ? std::to_string(span->offset) + "+" + std::to_string(span->length) : "-"};
}

Row Compile(Compiler& compiler, std::string_view formula, bool listing, bool full) {
  Row row = Outputs(compiler, formula, listing);
  for (std::string& field : row) field = full || field.size() <= 16 ? Escape(field) : Digest(field);
  return row;
}

std::string FirstDifference(const Row& recorded, const Row& now) {
  if (recorded.size() != now.size()) return "the recorded row has the wrong number of fields";
  const std::size_t extra = now.size() - kFields.size();  // a formula before the fields
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (recorded[i] != now[i]) {
      return std::string(i < extra ? "formula" : kFields[i - extra]) + " differs: recorded \"" +
             recorded[i] + "\", now \"" + now[i] + "\"";
    }
  }
  return "";
}

Table ReadTable(const std::string& path) {
  Table table;
  gzFile file = gzopen(path.c_str(), "rb");
  if (!file) return table;
  std::string text;
  char buffer[1 << 16];
  for (int got; (got = gzread(file, buffer, sizeof buffer)) > 0;) text.append(buffer, got);
  gzclose(file);
  for (const table::Row& fields : table::Parse(text)) {
    table[fields[0]] = Row(fields.begin() + 1, fields.end());
  }
  return table;
}

bool WriteTable(const std::string& path, std::string_view header,
                const std::vector<std::pair<std::string, Row>>& rows) {
  const bool compressed = path.size() > 3 && path.compare(path.size() - 3, 3, ".gz") == 0;
  gzFile file = gzopen(path.c_str(), compressed ? "wb9" : "wbT");
  if (!file) return false;
  std::string text = "# " + std::string(header) + "\n";
  for (const auto& [id, row] : rows) {
    text += id;
    for (const std::string& field : row) text.append("\t").append(field);
    text += "\n";
  }
  const bool written = gzwrite(file, text.data(), static_cast<unsigned>(text.size())) > 0;
  return gzclose(file) == Z_OK && written;
}

}  // namespace numerella::recorded
