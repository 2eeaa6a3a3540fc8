// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON object of one formula, written field by field without building a document.
#include "json_output.h"

#include <charconv>
#include <cmath>
#include <nlohmann/json.hpp>

namespace numerella::cli {
namespace {

// Whether a byte is written as itself inside a JSON string of ASCII text.
constexpr bool Plain(unsigned char c) { return c >= 0x20 && c < 0x7F && c != '"' && c != '\\'; }

void AppendEscape(std::string& out, unsigned char c) {
  static constexpr char kHex[] = "0123456789abcdef";
  switch (c) {
    case '\b':
      out += "\\b";
      return;
    case '\t':
      out += "\\t";
      return;
    case '\n':
      out += "\\n";
      return;
    case '\f':
      out += "\\f";
      return;
    case '\r':
      out += "\\r";
      return;
    case '"':
      out += "\\\"";
      return;
    case '\\':
      out += "\\\\";
      return;
    default: {
      const char escape[6] = {'\\', 'u', '0', '0', kHex[c >> 4], kHex[c & 15]};
      out.append(escape, sizeof escape);
    }
  }
}

void AppendInt(std::string& out, int n) {
  char buffer[16];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr - buffer);
}

void AppendSize(std::string& out, std::size_t n) {
  char buffer[24];
  out.append(buffer, std::to_chars(buffer, buffer + sizeof buffer, n).ptr - buffer);
}

void AppendCodes(std::string& out, const std::string& codes) {
  out += '[';
  for (std::size_t i = 0; i < codes.size(); ++i) {
    if (i != 0) out += ',';
    AppendInt(out, CodeAt(codes, i));
  }
  out += ']';
}

void AppendValues(std::string& out, const std::vector<Value>& values) {
  out += '[';
  for (std::size_t i = 0; i < values.size(); ++i) {
    if (i != 0) out += ',';
    AppendJsonValue(out, values[i]);
  }
  out += ']';
}

void AppendString(std::string& out, std::string_view latin1) {
  out += '"';
  AppendJsonEscaped(out, latin1);
  out += '"';
}

// What the window shows for an outcome.
std::string_view ShownText(const CalculationOutcome& out) {
  switch (out.kind) {
    case CalculationOutcome::Kind::kResult:
      return out.result_text;
    case CalculationOutcome::Kind::kBlank:
      return {};
    default:
      return out.message;
  }
}

}  // namespace

void AppendJsonEscaped(std::string& out, std::string_view latin1) {
  const char* p = latin1.data();
  const char* const end = p + latin1.size();
  while (p != end) {
    const char* run = p;
    while (run != end && Plain(static_cast<unsigned char>(*run))) ++run;
    out.append(p, run - p);
    if (run == end) break;
    AppendEscape(out, static_cast<unsigned char>(*run));
    p = run + 1;
  }
}

void AppendJsonValue(std::string& out, const Value& value) {
  if (!value || !std::isfinite(*value)) {
    out += "null";
    return;
  }
  const double v = *value;
  char buffer[64];
  // A whole number below 10^15 is its digits and ".0"; the JSON library writes it so too.
  if (std::fabs(v) >= 1 && std::fabs(v) < 1e15 && v == std::trunc(v)) {
    char* end = std::to_chars(buffer, buffer + sizeof buffer, static_cast<long long>(v)).ptr;
    *end++ = '.';
    *end++ = '0';
    out.append(buffer, end - buffer);
    return;
  }
  // Any other number as the JSON library writes it: the bytes stay those of every earlier
  // release.
  out.append(buffer, nlohmann::detail::to_chars(buffer, buffer + sizeof buffer, v) - buffer);
}

void AppendJsonRest(std::string& out, const JsonOutcome& fields) {
  using Kind = CalculationOutcome::Kind;
  const CalculationOutcome& o = fields.outcome;
  const CompiledProgram& p = o.program;
  out += "\",\"compile_flag\":";
  out += p.CompileFlag == 0 ? "0" : "-1";
  out += ",\"var_count\":";
  AppendInt(out, p.VarCount);
  out += ",\"par_count\":";
  AppendInt(out, p.ParCount);
  out += ",\"last_operand\":";
  AppendInt(out, p.LastOperand);
  out += ",\"program\":";
  AppendCodes(out, p.Program);
  out += ",\"operand_map\":";
  AppendCodes(out, p.OperandMap);
  out += ",\"value_table\":";
  AppendValues(out, p.ValueTable);
  out += ",\"listing\":";
  AppendString(out, o.kind == Kind::kBlank ? std::string_view() : fields.listing);
  out += ",\"eval_error\":";
  out += o.kind == Kind::kEvalFailed ? "true" : "false";
  // A failed evaluation still has the value its last instruction left, when that is finite.
  out += ",\"value\":";
  const bool evaluated = o.kind == Kind::kResult || o.kind == Kind::kEvalFailed;
  AppendJsonValue(out, evaluated ? o.value : Value());
  out += ",\"registers\":";
  AppendValues(out, o.registers);
  out += ",\"text\":";
  AppendString(out, ShownText(o));
  out += ",\"messages\":[";
  for (std::size_t i = 0; i < fields.messages.size(); ++i) {
    if (i != 0) out += ',';
    AppendString(out, fields.messages[i]);
  }
  out += "],\"error_position\":";
  if (fields.error_position) {
    out += "{\"offset\":";
    AppendSize(out, fields.error_position->offset);
    out += ",\"length\":";
    AppendSize(out, fields.error_position->length);
    out += '}';
  } else {
    out += "null";
  }
  if (fields.program_text) {
    out += ",\"program_text\":";
    AppendString(out, *fields.program_text);
  }
  out += "}\n";
}

}  // namespace numerella::cli
