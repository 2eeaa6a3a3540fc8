// SPDX-License-Identifier: GPL-3.0-or-later
// The program's texts are 8-bit byte strings; the Qt widgets hold them as Latin-1.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace numerella {

inline std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

inline QString FromBytes(std::string_view bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace numerella
