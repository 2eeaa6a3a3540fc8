// SPDX-License-Identifier: GPL-3.0-or-later
#include "compilation_record.h"

#include <zlib.h>

#include <cinttypes>
#include <cstdio>

namespace numerella::recorded {
namespace {

constexpr std::size_t kLongestLiteral = 16;

// Digits of the low 8 * bytes bits of value.
std::string Hex(std::uint64_t value, int bytes) {
  char text[17];
  std::snprintf(text, sizeof text, "%0*" PRIx64, 2 * bytes,
                bytes == 8 ? value : value & ((std::uint64_t{1} << (8 * bytes)) - 1));
  return text;
}

std::string Codes(std::string_view codes) {
  std::string out;
  for (std::size_t i = 0; i < codes.size(); ++i) {
    out.append(i ? " " : "").append(std::to_string(CodeAt(codes, i)));
  }
  return out;
}

std::string Values(const std::vector<Value>& values) {
  std::string out;
  for (const Value& v : values) {
    char text[32] = "-";
    if (v) std::snprintf(text, sizeof text, "%.17g", *v);
    out.append(out.empty() ? "" : " ").append(text);
  }
  return out;
}

}  // namespace

std::uint64_t Hash(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325u;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3u;
  }
  return hash;
}

std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '\\') {
      out += "\\\\";
    } else if (byte >= 0x20 && byte < 0x7f) {
      out += c;
    } else if (c == '\r' || c == '\n' || c == '\t') {
      out += c == '\r' ? "\\r" : c == '\n' ? "\\n" : "\\t";
    } else {
      char code[5];
      std::snprintf(code, sizeof code, "\\x%02x", byte);
      out += code;
    }
  }
  return out;
}

std::string CaseId(std::string_view formula, bool listing) {
  return Hex(Hash(formula), 8) + (listing ? "/1" : "/0");
}

Row Compile(Compiler& compiler, std::string_view formula, bool listing, bool full) {
  CompiledProgram p{7, 7, {9.0, {}, -0.0}, 42, "keep", "old", listing ? -1 : 0};
  compiler.SetCompileListing("left from before\r");
  compiler.CompileFormula(formula, p);
  const auto& span = compiler.ErrorSpan();
  const Row raw = {
      std::to_string(p.CompileFlag),
      std::to_string(p.VarCount) + "/" + std::to_string(p.ParCount),
      std::to_string(p.LastOperand),
      ProgramCodes(p.Program),
      Codes(p.OperandMap),
      Values(p.ValueTable),
      compiler.CompileListing(),
      span ? std::to_string(span->offset) + "+" + std::to_string(span->length) : "-",
  };
  Row out;
  for (const std::string& field : raw) {
    const bool literal = full || field.size() <= kLongestLiteral;
    out.push_back(literal ? Escape(field) : "#" + Hex(Hash(field) ^ (Hash(field) >> 32), 4));
  }
  return out;
}

std::string FirstDifference(const Row& recorded, const Row& now) {
  if (recorded.size() != now.size()) return "the recorded row has the wrong number of fields";
  for (std::size_t i = 0; i < now.size(); ++i) {
    if (recorded[i] != now[i]) {
      return std::string(kFields[i]) + " differs: recorded \"" + recorded[i] + "\", now \"" +
             now[i] + "\"";
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
  for (std::size_t start = 0; start < text.size();) {
    std::size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string_view line(text.data() + start, end - start);
    start = end + 1;
    if (line.empty() || line[0] == '#') continue;
    std::vector<std::string> fields;
    for (std::size_t from = 0;;) {
      const std::size_t tab = line.find('\t', from);
      fields.emplace_back(line.substr(from, tab - from));
      if (tab == std::string_view::npos) break;
      from = tab + 1;
    }
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
