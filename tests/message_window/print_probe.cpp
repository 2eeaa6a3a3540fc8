// SPDX-License-Identifier: GPL-3.0-or-later
// For cups_print_test.sh: prints the card on the default printer by "&Stampa", again on it
// turned to portrait (exit status 2 unless left so), then into the PDF file argv[1] on the same
// page. Tells "stall: <ms>" (the event loop's longest pause) and "box: <first line>" of a
// message box (answered "No", exit status 1).
#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QPdfWriter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QTimer>
#include <cstdio>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "platform/qt_platform_services.h"

namespace {

struct PressPrint : numerella::QtPlatformServices {
  int boxes = 0;
  void ShowModal(QDialog& dialog, QWidget*) override {
    dialog.show();
    QApplication::processEvents();
    dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg2"))->click();
  }
  numerella::BoxAnswer ShowMessageBox(QWidget*, const std::string& text, numerella::BoxStyle,
                                      const std::string&) override {
    ++boxes;
    std::printf("box: %s\n", QString::fromLatin1(text.substr(0, text.find('\r'))).toUtf8().data());
    return numerella::BoxAnswer::kNo;
  }
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  PressPrint platform;
  QElapsedTimer clock;
  qint64 last = 0, stall = 0;
  QTimer ticks;
  QObject::connect(&ticks, &QTimer::timeout, [&] {
    stall = std::max(stall, clock.elapsed() - last), last = clock.elapsed();
  });
  ticks.start(10);
  clock.start();
  numerella::ShowFunctionList(platform, nullptr);
  std::printf("stall: %lld\n", static_cast<long long>(std::max(stall, clock.elapsed() - last)));
  std::fflush(stdout);
  if (platform.boxes != 0) return 1;
  QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
  printer.setDocName(QStringLiteral("orientation"));  // its own file name in the queue
  printer.setPageOrientation(QPageLayout::Portrait);
  const bool printed = numerella::PrintAnywhere(numerella::FrmMsg::Instance(), printer);
  const bool restored = printer.pageLayout().orientation() == QPageLayout::Portrait;
  QPdfWriter direct(QString::fromLocal8Bit(argv[1]));
  direct.setPageLayout(printer.pageLayout());
  if (!numerella::PrintAnywhere(numerella::FrmMsg::Instance(), direct)) return 3;
  return printed && restored ? 0 : 2;
}
