// SPDX-License-Identifier: GPL-3.0-or-later
// Calculation files: the ten history rows as 20 text fields, oldest row first, the formula of
// a row followed by its result text. Texts are 8-bit byte strings (Latin-1 in the window).
#pragma once

#include <QByteArray>
#include <array>
#include <cstddef>
#include <string>

#include "main_window/history.h"

class QIODevice;

namespace numerella {

// The longest field the reader keeps; the rest of a longer field is skipped.
inline constexpr std::size_t kMaxFieldBytes = 64 * 1024;
// The reader never consumes more than this from a device: what lies beyond counts as missing.
inline constexpr std::size_t kMaxReadBytes = 4 * 1024 * 1024;

// The file text: 20 lines, each a field between double quotes ended by CR LF. Nothing inside
// a field is escaped.
QByteArray WriteCalculationFile(const History& history);

// Reads the first 20 fields of a device, from its current position, into ten rows. A field is
// a text between double quotes (commas and blanks inside belong to it; a missing closing quote
// ends it at the line end) or an unquoted text up to the next comma or line end, without its
// leading and trailing blanks. What follows a closing quote up to the next comma or line end is
// ignored. Fields that are missing are empty; once the device gives nothing (end of data or
// a read error) it is not asked again. Reads incrementally into one reused buffer and stays
// within kMaxReadBytes, whatever the device holds or keeps producing.
History ReadCalculationFile(QIODevice& device);

}  // namespace numerella
