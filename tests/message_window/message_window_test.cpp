// The message window through ShowMessageWindow with scripted answers: pressed buttons, keys,
// closing, button creation and removal, icons and the drawn text.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "platform/qt_platform_services.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Action = ScriptedPlatformServices::ModalAction;

const std::vector<std::string> kCaptions = {"", "&Continua", "&Stampa", "&Ripeti", "&Annulla"};

// Shows a short message with n buttons, answering with the given action.
int Show(int n, const ScriptedPlatformServices::ModalAnswer& answer, int icon = kIconNone,
         const std::string& text = "Messaggio") {
  ScriptedPlatformServices platform;
  platform.QueueModal(answer);
  return ShowMessageWindow(platform, nullptr, "Prova", text, icon, n, kCaptions);
}

std::vector<QPushButton*> VisibleButtons(QDialog& dialog) {
  std::vector<QPushButton*> shown;
  for (int k = 1; k <= 8; ++k) {
    auto* b = dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(k));
    if (b != nullptr && b->isVisible()) shown.push_back(b);
  }
  return shown;
}

TEST(ShowMessageWindowTest, ReturnsTheNumberOfThePressedButton) {
  struct Case {
    int buttons, press;
  };
  const Case cases[] = {{1, 1}, {2, 1}, {2, 2}, {3, 3}, {4, 2}, {4, 4}};
  for (const Case& c : cases) {
    EXPECT_EQ(Show(c.buttons, c.press), c.press) << c.buttons << " " << c.press;
    EXPECT_EQ(PressedButton(), c.press);
    EXPECT_FALSE(FrmMsg::Instance().isVisible());
  }
}

TEST(ShowMessageWindowTest, ButtonsCarryTheCaptionsAndExtraOnesLastOneCall) {
  // Calls with more buttons, then fewer: members 2 ... N-1 exist only during their call.
  for (const int n : {4, 1, 3, 2}) {
    std::vector<QString> captions;
    std::vector<int> lefts;
    std::size_t members = 0;
    Show(n, Action([&](QDialog& d) {
           members = d.findChildren<QPushButton*>().size();
           for (QPushButton* b : VisibleButtons(d)) {
             captions.push_back(b->text());
             lefts.push_back(b->x());
           }
           ScriptedPlatformServices::PressButton(d, n);
         }));
    EXPECT_EQ(members, static_cast<std::size_t>(std::max(n, 2))) << n;
    EXPECT_EQ(FrmMsg::Instance().findChildren<QPushButton*>().size(), 2) << n;
    ASSERT_EQ(captions.size(), static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
      EXPECT_EQ(captions[k].toStdString(), kCaptions[k + 1]);
      if (k > 0) {
        EXPECT_GT(lefts[k], lefts[k - 1]);
      }
    }
  }
}

TEST(ShowMessageWindowTest, ClosingCountsAsTheFirstButton) {
  const std::vector<std::pair<std::string, Action>> closes = {
      {"title-bar close", [](QDialog& d) { d.close(); }},
      {"Esc", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); }},
  };
  for (const auto& [name, close] : closes) {
    ASSERT_EQ(Show(2, 2), 2);  // an earlier press of the second button
    EXPECT_EQ(Show(2, close), 1) << name;
    EXPECT_FALSE(FrmMsg::Instance().isVisible()) << name;
  }
}

TEST(ShowMessageWindowTest, KeysPressButtons) {
  const auto focused = [](QDialog& d, int number) {
    return d.findChild<QPushButton*>(QStringLiteral("CmdMsg%1").arg(number));
  };
  struct Case {
    std::string name;
    Action action;
    int expected;
  };
  const std::vector<Case> cases = {
      {"access key S", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_S); }, 2},
      {"access key c", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_C); }, 1},
      // The shortcut clicks with the button's short press animation: wait for it.
      {"Alt+S",
       [](QDialog& d) {
         QTest::keyClick(&d, Qt::Key_S, Qt::AltModifier);
         QTest::qWait(300);
       },
       2},
      {"a letter that marks nothing", [](QDialog& d) { QTest::keyClick(&d, Qt::Key_X); }, 0},
      {"Enter on the focused second button",
       [&](QDialog& d) {
         focused(d, 2)->setFocus();
         QTest::keyClick(focused(d, 2), Qt::Key_Return);
       },
       2},
      {"Space on the focused second button",
       [&](QDialog& d) {
         focused(d, 2)->setFocus();
         QTest::keyClick(focused(d, 2), Qt::Key_Space);
       },
       2},
      {"Enter at first goes to the first button",
       [&](QDialog& d) {
         QWidget* target = d.focusWidget() != nullptr ? d.focusWidget() : &d;
         QTest::keyClick(target, Qt::Key_Return);
       },
       1},
  };
  for (const Case& c : cases) {
    Show(1, 1);  // so that a key that presses nothing leaves 1 behind
    int during = -1;
    const int result = Show(2, Action([&](QDialog& d) {
                              c.action(d);
                              during = d.isVisible() ? 0 : PressedButton();
                            }));
    EXPECT_EQ(during, c.expected) << c.name;
    if (c.expected != 0) {
      EXPECT_EQ(result, c.expected) << c.name;
    }
  }
}

TEST(ShowMessageWindowTest, OnlyTheChosenIconIsShown) {
  struct Case {
    int kind;
    const char* visible;  // nullptr: none
  };
  const Case cases[] = {{kIconNone, nullptr},         {kIconQuestion, "ImgDom"},
                        {kIconExclamation, "ImgEsc"}, {kIconInformation, "ImgInf"},
                        {kIconStop, "ImgStp"},        {5, nullptr}};
  for (const Case& c : cases) {
    QStringList shown;
    Show(1, Action([&](QDialog& d) {
           for (QLabel* label : d.findChildren<QLabel*>()) {
             if (label->isVisible()) shown << label->objectName();
           }
           ScriptedPlatformServices::PressButton(d, 1);
         }),
         c.kind);
    EXPECT_EQ(shown, c.visible ? QStringList{QString::fromLatin1(c.visible)} : QStringList{})
        << c.kind;
  }
}

TEST(ShowMessageWindowTest, TextIsDrawnPastTheIconRoomAndKeptAfterClosing) {
  FrmMsg& frm = FrmMsg::Instance();
  struct Case {
    int kind;
    bool past_icon;
  };
  const Case cases[] = {{kIconNone, false}, {kIconExclamation, true}, {6, true}};
  for (const Case& c : cases) {
    Show(1, 1, c.kind, "Prima riga\rSeconda riga");
    ASSERT_EQ(frm.Drawn().size(), 2u);
    const double g = 0.2 * frm.ButtonWidthTwips();
    const double x = c.past_icon ? 2 * g + frm.IconWidthTwips() : g;
    EXPECT_NEAR(frm.Drawn()[0].x, x, 1e-9) << c.kind;
    EXPECT_EQ(frm.Drawn()[1].bytes, "Seconda riga");
    EXPECT_NEAR(frm.Drawn()[1].y - frm.Drawn()[0].y, 1.5 * frm.TextHeight("A"), 1e-9);
  }
}

TEST(ShowMessageWindowTest, LongParagraphWrapsAtEightyCells) {
  std::string text;
  for (int i = 0; i < 30; ++i) text += "parola ";  // 210 characters, one paragraph
  Show(1, 1, kIconNone, text);
  const FrmMsg& frm = FrmMsg::Instance();
  ASSERT_GE(frm.Drawn().size(), 3u);
  std::string joined;
  for (const FrmMsg::DrawnText& line : frm.Drawn()) {
    EXPECT_LE(line.bytes.size(), 80u);
    joined += line.bytes;
  }
  EXPECT_EQ(joined, text);
  // Lines of one paragraph are two cell widths apart.
  EXPECT_NEAR(frm.Drawn()[1].y - frm.Drawn()[0].y, 2 * frm.TextWidth("A"), 1e-9);
}

TEST(ShowMessageWindowTest, EmptyTextGivesTheButtonStripOnly) {
  Show(1, 1, kIconNone, "");
  const FrmMsg& frm = FrmMsg::Instance();
  EXPECT_TRUE(frm.Drawn().empty());
  const double px = frm.PixelsPerTwip();
  EXPECT_NEAR(frm.width(), (972 + 2 * 194.4) * px, 1);
  EXPECT_NEAR(frm.height(), (372 + 2 * 194.4) * px, 1);
}

TEST(ShowMessageWindowTest, RecordsTheTitleAndReturnsFocusToTheOwner) {
  QWidget owner;
  owner.setGeometry(100, 100, 400, 300);
  owner.show();
  ScriptedPlatformServices platform;
  ShowMessageWindow(platform, &owner, "Numerella", "Errore", kIconExclamation, 1, kCaptions);
  ASSERT_EQ(platform.modals().size(), 1u);
  EXPECT_EQ(platform.modals()[0].title, QStringLiteral("Numerella"));
  EXPECT_FALSE(platform.modals()[0].picture.isNull());
  const QRect placed = FrmMsg::Instance().frameGeometry();
  EXPECT_NEAR(placed.center().x(), owner.frameGeometry().center().x(), 2);
  EXPECT_NEAR(placed.center().y(), owner.frameGeometry().center().y(), 2);
}

TEST(ShowMessageWindowTest, RunsModallyOnTheDesktopServices) {
  // The real modal wait: keys arrive while the dialog's own event loop runs.
  struct Case {
    Qt::Key key;
    int expected;
  };
  const Case cases[] = {{Qt::Key_S, 2}, {Qt::Key_Escape, 1}, {Qt::Key_C, 1}};
  for (const Case& c : cases) {
    QtPlatformServices platform;
    QTimer::singleShot(50, [&c] { QTest::keyClick(&FrmMsg::Instance(), c.key); });
    EXPECT_EQ(ShowMessageWindow(platform, nullptr, "Prova", "Testo", kIconNone, 2, kCaptions),
              c.expected)
        << c.expected;
  }
}

}  // namespace
}  // namespace numerella
