// SPDX-License-Identifier: GPL-3.0-or-later
// Maps the font names the windows use to fonts of this desktop.
#include "platform/platform_fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QString>

#include "platform/latin1.h"

namespace numerella {

QFont PlatformFont(std::string_view name, double points) {
  const QString wanted = FromBytes(name);
  QFont font;
  if (wanted.compare(QStringLiteral("terminal"), Qt::CaseInsensitive) == 0) {
    font = QFontDatabase::families().contains(QStringLiteral("DejaVu Sans Mono"))
               ? QFont(QStringLiteral("DejaVu Sans Mono"))
               : QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
  } else if (wanted == QStringLiteral("MS Sans Serif")) {
    font = QApplication::font();
  } else {
    font = QFont(wanted);
  }
  font.setPointSizeF(points);
  return font;
}

}  // namespace numerella
