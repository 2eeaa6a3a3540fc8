// SPDX-License-Identifier: GPL-3.0-or-later
// Conversion of the message texts' bytes to the glyphs the terminal font shows: code page 437.
#pragma once

#include <QString>
#include <string_view>

namespace numerella {

// The Unicode character that code page 437 shows for byte.
char16_t Cp437ToUnicode(unsigned char byte);

// The whole byte text converted with Cp437ToUnicode.
QString Cp437ToQString(std::string_view bytes);

}  // namespace numerella
