// SPDX-License-Identifier: GPL-3.0-or-later
// The Numerella window program: Qt's Italian texts for the standard dialogs, the desktop's
// platform services, the main window, and a calculation file named on the command line.
#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <clocale>
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "main_window/command_line.h"
#include "main_window/frm_main.h"
#include "platform/qt_platform_services.h"

namespace {

void SetApplicationNames() {
  QCoreApplication::setApplicationName(QStringLiteral("Numerella"));
  QCoreApplication::setApplicationVersion(QStringLiteral(NUMERELLA_VERSION));
}

// Prints the help or version text, or the mistake in the arguments; the status to end with, or
// -1 when the window is to open.
int AnswerWithoutWindow(const numerella::StartRequest& request) {
  switch (request.kind) {
    case numerella::StartRequest::Kind::kHelp:
    case numerella::StartRequest::Kind::kVersion:
      std::fputs(request.text.toLocal8Bit().constData(), stdout);
      return std::fflush(stdout) == 0 && !std::ferror(stdout) ? 0 : 1;
    case numerella::StartRequest::Kind::kError:
      std::fprintf(stderr, "numerella: %s\n", request.text.toLocal8Bit().constData());
      return 2;
    case numerella::StartRequest::Kind::kOpen:
      break;
  }
  return -1;
}

// The file's name made absolute, byte for byte (the name itself need not be valid text).
std::string AbsoluteName(const std::string& name) {
  std::error_code failed;
  const std::filesystem::path absolute = std::filesystem::absolute(name, failed);
  return failed ? name : absolute.string();
}

}  // namespace

int main(int argc, char** argv) {
  // Qt sees only the words before "--"; the ones after it are file names.
  numerella::ProgramArguments arguments(argc, argv);
  // Help, the version and mistakes are answered before any window system is started, so
  // that they need no display.
  SetApplicationNames();
  const numerella::StartRequest request = numerella::ParseStartArguments(arguments.Own());
  if (const int status = AnswerWithoutWindow(request); status >= 0) return status;
  QApplication app(arguments.QtArgc(), arguments.QtArgv());
  // Qt takes the C library's locale from the environment; numbers in formulas and results are
  // always written with "." whatever the desktop's language, so the C numeric rules stay.
  std::setlocale(LC_NUMERIC, "C");
  SetApplicationNames();
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
  if (!request.file.empty()) window.ReadCalculationFileOnceShown(AbsoluteName(request.file));
  window.show();
  return QApplication::exec();
}
