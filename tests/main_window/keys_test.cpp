// Keys and menus of the main window: Enter runs exactly one calculation from wherever it is
// pressed, typing in a history row returns to the expression box, the shortcuts and ESCI.
#include <QSignalSpy>
#include <QTest>

#include "window_fixture.h"

namespace numerella {
namespace {

class KeysTest : public WindowTest {
 protected:
  void SetUp() override {
    WindowTest::SetUp();
    window().show();
    window().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  }
  // How many runs have shifted the history so far (each run adds "n" as its formula).
  int RowsFilled() {
    int filled = 0;
    for (int i = 0; i < kHistoryRows; ++i) filled += TxtSav(i)->text() != " " ? 1 : 0;
    return filled;
  }
};

struct EnterCase {
  const char* focus;  // object name of the control that has the focus
  Qt::Key key;
};

TEST_F(KeysTest, EnterRunsExactlyOneCalculationWherever) {
  const EnterCase cases[] = {
      {"TxtExp", Qt::Key_Return},  {"TxtExp", Qt::Key_Enter},  {"CmdEnt", Qt::Key_Return},
      {"TxtSav3", Qt::Key_Return}, {"LblSav5", Qt::Key_Enter}, {"LblVal", Qt::Key_Return},
      {"CmdExi", Qt::Key_Return},
  };
  int expected_rows = 0;
  for (const EnterCase& c : cases) {
    SCOPED_TRACE(std::string(c.focus) + (c.key == Qt::Key_Enter ? " keypad Enter" : " Return"));
    TxtExp()->setPlainText(QStringLiteral("1+1"));
    QWidget* target = Control<QWidget>(QLatin1String(c.focus));
    target->setFocus();
    QTest::keyClick(target, c.key);
    ++expected_rows;
    EXPECT_EQ(RowsFilled(), expected_rows);
    EXPECT_EQ(TxtExp()->toPlainText(), "1+1");  // no line break was inserted
    EXPECT_TRUE(window().isVisible());
  }
}

TEST_F(KeysTest, TypingInAHistoryRowGoesOnInTheExpressionBox) {
  Run("2+3");
  TxtExp()->clear();
  TxtSav(9)->setFocus();
  QTest::keyClicks(TxtSav(9), "4*");
  EXPECT_EQ(window().focusWidget(), TxtExp());
  EXPECT_EQ(TxtSav(9)->text(), "2+3");
  EXPECT_EQ(TxtExp()->toPlainText(), "4*");
  TxtSav(2)->setFocus();
  QTest::keyClick(TxtSav(2), Qt::Key_Backspace);
  EXPECT_EQ(window().focusWidget(), TxtExp());
  EXPECT_EQ(TxtSav(2)->text(), " ");
}

TEST_F(KeysTest, HistoryTextCanBeSelectedAndCopied) {
  Run("123*2");
  TxtSav(9)->setFocus();
  QTest::keyClick(TxtSav(9), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(TxtSav(9)->selectedText(), "123*2");
  EXPECT_EQ(window().focusWidget(), TxtSav(9));  // command keys stay with the row
  EXPECT_TRUE(LblSav(9)->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_TRUE(LblVal()->textInteractionFlags() & Qt::TextSelectableByMouse);
}

struct ShortcutCase {
  const char* action;
  QKeySequence keys;
};

TEST_F(KeysTest, MenuShortcuts) {
  const ShortcutCase cases[] = {{"MnuFilLet", QKeySequence(Qt::CTRL | Qt::Key_O)},
                                {"MnuFilScr", QKeySequence(Qt::CTRL | Qt::Key_S)},
                                {"MnuSerFun", QKeySequence(Qt::Key_F1)}};
  for (const ShortcutCase& c : cases) EXPECT_EQ(Menu(c.action)->shortcut(), c.keys) << c.action;
  // Ctrl+O opens the Open dialog (the script cancels it).
  QTest::keyClick(TxtExp(), Qt::Key_O, Qt::ControlModifier);
  ASSERT_EQ(platform_.file_dialogs().size(), 1u);
  EXPECT_FALSE(platform_.file_dialogs()[0].save);
}

TEST_F(KeysTest, EsciAndCtrlQCloseTheWindow) {
  Control<QPushButton>("CmdExi")->click();
  EXPECT_FALSE(window().isVisible());
  window().show();
  window().activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
  QTest::keyClick(TxtExp(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window().isVisible());
}

}  // namespace
}  // namespace numerella
