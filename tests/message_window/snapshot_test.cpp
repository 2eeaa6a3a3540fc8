// What small messages and the reference card look like: the window as it is shown (text,
// icon, buttons) is compared pixel for pixel with pictures taken before the text surface was
// bounded. With NUMERELLA_WRITE_SNAPSHOTS=<folder> the pictures are written there instead.
#include <gtest/gtest.h>

#include <QDialog>
#include <QDir>
#include <QFontInfo>
#include <QImage>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Scripted = ScriptedPlatformServices;

// The window's client area as shown, painted as a screen would.
QImage Picture(const std::function<void(Scripted&)>& show) {
  QImage picture;
  Scripted platform;
  platform.QueueModal(Scripted::ModalAction([&](QDialog& d) {
    picture = d.grab().toImage().convertToFormat(QImage::Format_RGB32);
    Scripted::PressButton(d, 1);
  }));
  show(platform);
  return picture;
}

TEST(MessageSnapshotTest, SmallMessagesAndTheCardLookAsBefore) {
  const QString family = QFontInfo(FrmMsg::Instance().TextFont()).family();
  if (family != QStringLiteral("DejaVu Sans Mono") || FrmMsg::Instance().devicePixelRatio() != 1)
    GTEST_SKIP() << "the pictures were taken with DejaVu Sans Mono at scale 1, not "
                 << family.toStdString();
  const std::pair<const char*, std::function<void(Scripted&)>> cases[] = {
      {"compile-errors", [](Scripted& p) {
         ShowMessageWindow(p, nullptr, "Numerella", "***Errori di Compilazione", kIconExclamation,
                           1, {"", "&Continua"});
       }},
      {"three-lines-question", [](Scripted& p) {
         ShowMessageWindow(p, nullptr, "Prova", "Prima riga\rSeconda \xE2 \xFD riga\r\rUltima",
                           kIconQuestion, 3, {"", "&S\xEC", "&No", "&Annulla"});
       }},
      {"card", [](Scripted& p) { ShowFunctionList(p, nullptr); }},
  };
  const QString out = qEnvironmentVariable("NUMERELLA_WRITE_SNAPSHOTS");
  for (const auto& [name, show] : cases) {
    SCOPED_TRACE(name);
    const QImage picture = Picture(show);
    ASSERT_FALSE(picture.isNull());
    const QString file = QStringLiteral("%1.png").arg(QLatin1String(name));
    if (!out.isEmpty()) {
      EXPECT_TRUE(picture.save(QDir(out).filePath(file)));
      continue;
    }
    const QImage expected =
        QImage(QStringLiteral(NUMERELLA_SNAPSHOTS "/") + file).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(picture.size(), expected.size());
    int differing = 0;
    for (int y = 0; y < picture.height(); ++y)
      for (int x = 0; x < picture.width(); ++x) differing += picture.pixel(x, y) != expected.pixel(x, y);
    EXPECT_EQ(differing, 0);
  }
}

}  // namespace
}  // namespace numerella
