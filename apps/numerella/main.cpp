// The Numerella window program: Qt's Italian texts for the standard dialogs, the desktop's
// platform services, and the main window.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>

#include "main_window/frm_main.h"
#include "platform/qt_platform_services.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Qt takes the C library's locale from the environment; numbers in formulas and results are
  // always written with "." whatever the desktop's language, so the C numeric rules stay.
  std::setlocale(LC_NUMERIC, "C");
  QApplication::setApplicationName(QStringLiteral("Numerella"));
  QApplication::setApplicationVersion(QStringLiteral(NUMERELLA_VERSION));
  QApplication::setDesktopFileName(QStringLiteral("org.numerella.Numerella"));
  QApplication::setWindowIcon(
      QIcon::fromTheme(QStringLiteral("org.numerella.Numerella"),
                       QIcon(QStringLiteral(":/numerella/org.numerella.Numerella.png"))));

  // The interface is Italian whatever the desktop's language: buttons and file dialogs too.
  QLocale::setDefault(QLocale(QLocale::Italian, QLocale::Italy));
  QTranslator qt_texts;
  if (qt_texts.load(QStringLiteral("qtbase_it"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(&qt_texts);
  }

  numerella::QtPlatformServices platform;
  numerella::FrmMain window(platform);
  window.show();
  return QApplication::exec();
}
