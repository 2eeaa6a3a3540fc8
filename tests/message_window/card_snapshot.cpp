// SPDX-License-Identifier: GPL-3.0-or-later
// Not a test: shows a message on the real display (for example under Xvfb) and saves what the
// screen shows of it as a PNG:
//   message_card_snapshot <png path> [<pdf path>]   the reference card; with a PDF path it is
//                                                   then printed into that file
//   message_card_snapshot <png path> --small        the compile-error message
//   message_card_snapshot <png path> --listing      a 16,385-line listing, scrolled half-way
#include <QApplication>
#include <QDialog>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTest>
#include <cstring>
#include <string>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/msg_text_area.h"
#include "platform/qt_platform_services.h"

// The desktop's services; the window is photographed, then closed with "&Stampa" (when a PDF
// is to be printed) or its first button.
struct SnapshotServices : numerella::QtPlatformServices {
  QString png, pdf;
  bool scroll = false;
  bool saved = false;
  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    dialog.show();
    if (QTest::qWaitForWindowExposed(&dialog)) QTest::qWait(300);
    if (scroll) {
      QScrollBar* bar = numerella::FrmMsg::Instance().TextArea().verticalScrollBar();
      bar->setValue(bar->maximum() / 2);
      QTest::qWait(200);
    }
    const QRect f = dialog.frameGeometry().adjusted(-8, -8, 8, 8);
    saved = dialog.screen()->grabWindow(0, f.x(), f.y(), f.width(), f.height()).save(png, "PNG");
    dialog.findChild<QPushButton*>(pdf.isEmpty() ? "CmdMsg1" : "CmdMsg2")->click();
  }
  numerella::PrintOutcome PrintPage(const std::function<bool(QPagedPaintDevice&)>& paint) override {
    if (pdf.isEmpty()) return numerella::PrintOutcome::kNoPrinter;
    QPdfWriter writer(pdf);
    return paint(writer) ? numerella::PrintOutcome::kPrinted : numerella::PrintOutcome::kFailed;
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    qWarning("usage: message_card_snapshot <png path> [<pdf path> | --small | --listing]");
    return 2;
  }
  SnapshotServices platform;
  platform.png = QString::fromLocal8Bit(argv[1]);
  const std::string mode = argc > 2 ? argv[2] : "";
  if (mode == "--small") {
    numerella::ShowMessageWindow(platform, nullptr, "Numerella", "***Errori di Compilazione",
                                 numerella::kIconExclamation, 1, {"", "&Continua"});
  } else if (mode == "--listing") {
    std::string listing;
    for (int i = 1; i <= 16385; ++i) listing += " " + std::to_string(i) + " a   Operando\r";
    platform.scroll = true;
    numerella::ShowMessageWindow(platform, nullptr, "Numerella", listing,
                                 numerella::kIconExclamation, 1, {"", "&Continua"});
  } else {
    platform.pdf = QString::fromLocal8Bit(mode.c_str());
    numerella::ShowFunctionList(platform, nullptr);
  }
  return platform.saved ? 0 : 1;
}
