// The Numerella window program: Qt's Italian texts for the standard dialogs, the desktop's
// platform services, the main window, and a calculation file named on the command line.
#include <QApplication>
#include <QFileInfo>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <cstdio>

#include "main_window/command_line.h"
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

  const numerella::StartRequest request =
      numerella::ParseStartArguments(QApplication::arguments());
  switch (request.kind) {
    case numerella::StartRequest::Kind::kHelp:
    case numerella::StartRequest::Kind::kVersion:
      std::fputs(request.text.toLocal8Bit().constData(), stdout);
      return 0;
    case numerella::StartRequest::Kind::kError:
      std::fprintf(stderr, "numerella: %s\n", request.text.toLocal8Bit().constData());
      return 2;
    case numerella::StartRequest::Kind::kOpen:
      break;
  }

  numerella::QtPlatformServices platform;
  numerella::FrmMain window(platform);
  if (!request.file.isEmpty()) {
    window.ReadCalculationFileOnceShown(QFileInfo(request.file).absoluteFilePath());
  }
  window.show();
  return QApplication::exec();
}
