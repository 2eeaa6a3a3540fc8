// SPDX-License-Identifier: GPL-3.0-or-later
// The reference card of the intrinsic functions as data, without Qt: the card the message
// window shows, and the functions the card leaves out, written the same way. The card and the
// completion of function names in the expression box both read their descriptions from here.
#pragma once

#include <span>

namespace numerella {

// The 24 entries of the card, aligned for a fixed-pitch font. The bytes 0xE2 and 0xFD show
// as the code page 437 glyphs of the gamma sign and the superscript two.
std::span<const char* const> FunctionCardEntries();

// Entries in the card's form for the functions the card does not show (the square root).
std::span<const char* const> OffCardEntries();

}  // namespace numerella
