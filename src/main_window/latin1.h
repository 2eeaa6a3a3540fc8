// The window's texts are 8-bit byte strings; the controls hold them as Latin-1.
#pragma once

#include <QString>
#include <string>

namespace numerella {

inline std::string ToBytes(const QString& text) { return text.toLatin1().toStdString(); }

inline QString FromBytes(const std::string& bytes) {
  return QString::fromLatin1(bytes.data(), static_cast<qsizetype>(bytes.size()));
}

}  // namespace numerella
