// Not a test: shows the reference card on the real display (for example under Xvfb), saves
// what the screen shows of it as a PNG and, when a PDF path is given, prints the card into it.
#include <QApplication>
#include <QDialog>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QTest>

#include "message_window/mod_msg.h"
#include "platform/qt_platform_services.h"

// The desktop's services; the card is photographed, then closed with "&Stampa" or "&Continua".
struct SnapshotServices : numerella::QtPlatformServices {
  QString png, pdf;
  bool saved = false;
  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    dialog.show();
    if (QTest::qWaitForWindowExposed(&dialog)) QTest::qWait(300);
    const QRect f = dialog.frameGeometry().adjusted(-8, -8, 8, 8);
    saved = dialog.screen()->grabWindow(0, f.x(), f.y(), f.width(), f.height()).save(png, "PNG");
    dialog.findChild<QPushButton*>(pdf.isEmpty() ? "CmdMsg1" : "CmdMsg2")->click();
  }
  std::unique_ptr<QPagedPaintDevice> OpenPrinter() override {
    return pdf.isEmpty() ? nullptr : std::make_unique<QPdfWriter>(pdf);
  }
};

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) return qWarning("usage: message_card_snapshot <png path> [<pdf path>]"), 2;
  SnapshotServices platform;
  platform.png = QString::fromLocal8Bit(argv[1]);
  if (argc > 2) platform.pdf = QString::fromLocal8Bit(argv[2]);
  numerella::ShowFunctionList(platform, nullptr);
  return platform.saved ? 0 : 1;
}
