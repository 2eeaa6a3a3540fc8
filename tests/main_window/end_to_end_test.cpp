// The real window driven by simulated key presses, from typing formulas to a saved file and
// back; and, on request, the picture of the window used in the documentation.
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "window_fixture.h"

namespace numerella {
namespace {

class EndToEndTest : public WindowTest {
 protected:
  void ShowAndActivate() {
    window().show();
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  }
  // Replaces the expression by typing, as a user does: select all, type, Enter.
  void Type(const char* formula) {
    QTest::keyClick(TxtExp(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(TxtExp(), QLatin1String(formula));
    QTest::keyClick(TxtExp(), Qt::Key_Return);
  }
};

TEST_F(EndToEndTest, TypeComputeSaveQuitAndReadBack) {
  ShowAndActivate();
  QTemporaryDir folder;
  const QString path = folder.filePath(QStringLiteral("sessione.nmr"));

  Type("2*(3+4)^2");
  EXPECT_EQ(Result(), "98");
  Type("1/8");
  EXPECT_EQ(Result(), ".125");
  Type("2+");  // does not compile: the message window is answered by the script
  EXPECT_EQ(platform_.modals().size(), 1u);
  ShowAndActivate();  // a window manager gives the activation back to the owner; offscreen none
  Type("SQR(2)");
  EXPECT_EQ(Result(), "1.414214");

  platform_.QueueFileAnswer(path);
  QTest::keyClick(TxtExp(), Qt::Key_S, Qt::ControlModifier);
  QByteArray expected;
  for (int i = 0; i < 14; ++i) expected += "\" \"\r\n";
  expected += "\"2*(3+4)^2\"\r\n\"98\"\r\n\"1/8\"\r\n\".125\"\r\n\"SQR(2)\"\r\n\"1.414214\"\r\n";
  QFile saved(path);
  ASSERT_TRUE(saved.open(QIODevice::ReadOnly));
  EXPECT_EQ(saved.readAll(), expected);

  QTest::keyClick(TxtExp(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window().isVisible());

  // A new start of the program, then File > Lettura by its shortcut.
  window_ = std::make_unique<FrmMain>(platform_);
  ShowAndActivate();
  platform_.QueueFileAnswer(path);
  QTest::keyClick(TxtExp(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(Expression(), "SQR(2)");
  EXPECT_EQ(Result(), "1.414214");
  EXPECT_EQ(ToBytes(TxtSav(7)->text()), "2*(3+4)^2");
  QTest::keyClicks(TxtExp(), "*2");
  QTest::keyClick(TxtExp(), Qt::Key_Enter);
  EXPECT_EQ(Result(), "2.828427");
  EXPECT_EQ(ToBytes(TxtSav(6)->text()), "2*(3+4)^2");
}

// Writes the picture of the window after a few calculations to the file named by
// NUMERELLA_SCREENSHOT (run under a real display server for the documentation).
TEST_F(EndToEndTest, ScreenshotForTheDocumentation) {
  const QByteArray target = qgetenv("NUMERELLA_SCREENSHOT");
  if (target.isEmpty()) GTEST_SKIP() << "NUMERELLA_SCREENSHOT not set";
  ShowAndActivate();
  for (const char* f : {"2*(3+4)^2", "1/3", "SQR(2)", "GAM(5)", "C_N(1.96,0,1)", "SUM(1,2,3,4)/4",
                        "123456789", "EXP(1)"}) {
    Type(f);
  }
  QTest::keyClick(TxtExp(), Qt::Key_A, Qt::ControlModifier);
  QTest::keyClicks(TxtExp(), "LNGAM(10.5)-LOG(2)");
  QTest::qWait(200);
  ASSERT_TRUE(window().grab().save(QString::fromLocal8Bit(target)));
}

}  // namespace
}  // namespace numerella
