// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON object that numerella-eval writes for one formula, appended straight to the
// output buffer. Texts are Latin-1 bytes and come out as ASCII: bytes from 127 up and the
// control bytes as \u00xx.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "calculation/calculation.h"

namespace numerella::cli {

// The bytes of a text inside a JSON string, without the quotes.
void AppendJsonEscaped(std::string& out, std::string_view latin1);

// A value as a JSON number (shortest text that reads back to the same double, with ".0" on
// whole numbers), or null when it is empty or not finite.
void AppendJsonValue(std::string& out, const Value& value);

// What the object holds besides its input.
struct JsonOutcome {
  const CalculationOutcome& outcome;
  std::string_view listing;                  // the compiler's listing after the run
  const std::vector<std::string>& messages;  // the notices' texts
  std::optional<TextSpan> error_position;    // where the first compile error lies in the input
  std::optional<std::string> program_text;   // the program in readable form, when asked for
};

// The object's first field up to the input text: {"input":"
inline constexpr std::string_view kJsonInputOpen = "{\"input\":\"";

// Everything after the input text: the closing quote of the input, the other fields in their
// fixed order, the closing brace and the line end. The fields up to "messages" are those of
// every earlier release, byte for byte; "error_position" and "program_text" (only when asked
// for) follow them.
void AppendJsonRest(std::string& out, const JsonOutcome& fields);

}  // namespace numerella::cli
