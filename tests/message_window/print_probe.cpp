// SPDX-License-Identifier: GPL-3.0-or-later
// Not a test on its own: prints the reference card on the default printer exactly as a user
// does (Servizi > Funzioni Intrinseche, then "&Stampa"), through the desktop's platform
// services. cups_print_test.sh runs it against a PDF print queue and checks the page against
// the card written directly into the PDF file named by the first argument, on a page laid out
// as the printer's.
// A message box raised on the way (no printer, a refused or failed job) is answered "No", its
// first line printed as "box: <line>" and makes the exit status 1. "stall: <ms>" tells the
// longest time the user-interface thread went without running its event loop while printing.
// Then the card is printed once more on a printer turned to portrait, to show that the
// orientation is restored after the landscape page: exit status 2 when it is not.
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <algorithm>
#include <cstdio>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "platform/qt_platform_services.h"

namespace {

struct PressPrint : numerella::QtPlatformServices {
  int boxes = 0;
  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    dialog.show();
    QApplication::processEvents();
    dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg2"))->click();
  }
  numerella::BoxAnswer ShowMessageBox(QWidget* /*owner*/, const std::string& text,
                                      numerella::BoxStyle /*style*/,
                                      const std::string& /*title*/) override {
    ++boxes;
    const QString line = QString::fromLatin1(text.substr(0, text.find('\r')));
    std::printf("box: %s\n", line.toUtf8().constData());
    return numerella::BoxAnswer::kNo;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return std::fprintf(stderr, "usage: message_print_probe <direct.pdf>\n"), 3;
  PressPrint platform;
  QElapsedTimer clock;
  qint64 last = 0, stall = 0;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    stall = std::max(stall, clock.elapsed() - last);
    last = clock.elapsed();
  });
  ticks.start(10);
  clock.start();
  numerella::ShowFunctionList(platform, nullptr);
  std::printf("stall: %lld\n", static_cast<long long>(std::max(stall, clock.elapsed() - last)));
  std::fflush(stdout);
  if (platform.boxes != 0) return 1;
  QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("orientation"));
  printer.setPageOrientation(QPageLayout::Portrait);
  const bool printed = numerella::PrintAnywhere(numerella::FrmMsg::Instance(), printer);
  const bool restored = printer.pageLayout().orientation() == QPageLayout::Portrait;
  {
    QPdfWriter direct(QString::fromLocal8Bit(argv[1]));
    direct.setPageLayout(printer.pageLayout());
    if (!numerella::PrintAnywhere(numerella::FrmMsg::Instance(), direct)) return 3;
  }
  std::printf("printer %s: printed %d, orientation restored %d\n",
              qPrintable(printer.printerName()), printed, restored);
  return printed && restored ? 0 : 2;
}
