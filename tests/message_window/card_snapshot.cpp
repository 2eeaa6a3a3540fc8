// Shows the reference card on the real display (for example under Xvfb), saves what the
// screen shows of it as a PNG and, when asked, prints the card into a PDF file.
// Usage: message_card_snapshot <png path> [<pdf path>]
#include <QApplication>
#include <QDialog>
#include <QPdfWriter>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdio>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/print_anywhere.h"
#include "platform/qt_platform_services.h"

namespace {

// The desktop's services, but the shown window is photographed and then closed with
// "&Stampa" (when a PDF is wanted) or "&Continua".
class SnapshotServices : public numerella::QtPlatformServices {
 public:
  SnapshotServices(QString png, QString pdf) : png_(std::move(png)), pdf_(std::move(pdf)) {}

  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) std::fprintf(stderr, "window not exposed\n");
    QTest::qWait(300);
    const QRect frame = dialog.frameGeometry().adjusted(-8, -8, 8, 8);
    const QPixmap shot =
        dialog.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    saved_ = shot.save(png_, "PNG");
    const int button = pdf_.isEmpty() ? 1 : 2;
    dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(button))->click();
  }

  std::unique_ptr<QPagedPaintDevice> OpenPrinter() override {
    if (pdf_.isEmpty()) return nullptr;
    return std::make_unique<QPdfWriter>(pdf_);
  }

  bool saved() const { return saved_; }

 private:
  QString png_;
  QString pdf_;
  bool saved_ = false;
};

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  if (argc < 2) {
    std::fprintf(stderr, "usage: message_card_snapshot <png path> [<pdf path>]\n");
    return 2;
  }
  SnapshotServices platform(QString::fromLocal8Bit(argv[1]),
                            argc > 2 ? QString::fromLocal8Bit(argv[2]) : QString());
  QWidget owner;
  owner.setWindowTitle(QStringLiteral("Numerella"));
  owner.setGeometry(80, 80, 900, 700);
  owner.show();
  numerella::ShowFunctionList(platform, &owner);
  return platform.saved() ? 0 : 1;
}
