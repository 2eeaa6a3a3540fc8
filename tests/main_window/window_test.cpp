// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over scripted platform services: layout, runs, keys, menus and files.
#include "colours.h"
#include "message_window/frm_msg.h"
#include "window_fixture.h"

namespace numerella {
namespace {

using namespace std::string_literals;

TEST_F(WindowTest, StartsWithTheControlsWhereTheLayoutPutsThemAtAFixedSize) {
  const MainWindowLayout& l = window_->Layout();
  const auto pixels = [&](const TwipRect& r) {
    const PixelRect p = ToPixels(r, window_->logicalDpiX(), window_->logicalDpiY());
    return QRect(p.x, p.y, p.width, p.height);
  };
  for (int i = 0; i < kHistoryRows; ++i) {
    EXPECT_EQ(TxtSav(i)->geometry(), pixels(l.formula_rows[i])) << i;
    EXPECT_EQ(LblSav(i)->geometry(), pixels(l.result_rows[i])) << i;
  }
  EXPECT_EQ(TxtExp()->geometry(), pixels(l.expression));
  EXPECT_EQ(LblVal()->geometry(), pixels(l.result));
  EXPECT_EQ(Control("CmdEnt")->geometry(), pixels(l.calculate));
  EXPECT_EQ(Control("CmdExi")->geometry(), pixels(l.exit));
  window_->show();
  window_->resize(window_->size() * 2);
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
  EXPECT_EQ(window_->centralWidget()->size(), pixels({0, 0, l.client_width, l.area_height}).size());
}

// ESCI lies in a row of its own under CALCOLO, with the layout's gap above it and its margins
// to the right and below; the drawing area above that row keeps the computed size.
TEST(MainWindowLayout, ExitButtonUnderCalculateWithTheLayoutsMargins) {
  const std::int32_t cases[][2] = {{120, 180}, {96, 240}, {150, 150}};  // cw, ch
  for (const auto& [cw, ch] : cases) {
    const MainWindowLayout l = ComputeMainWindowLayout(cw, ch);
    SCOPED_TRACE(std::to_string(cw) + " x " + std::to_string(ch));
    EXPECT_EQ(std::tuple(l.exit.left, l.exit.width, l.exit.height),
              std::tuple(l.calculate.left, l.calculate.width, l.calculate.height));
    EXPECT_EQ(l.exit.top, l.calculate.top + l.calculate.height + cw);  // a gap of cw above
    EXPECT_EQ(l.exit.left + l.exit.width + cw, l.client_width);        // right margin cw
    EXPECT_EQ(l.exit.top + l.exit.height + cw, l.area_height);         // bottom margin cw
  }
}

// A blank formula only returns the focus. A result goes to LblVal and, trimmed, into row 9 (TxtExp
// keeps it as typed) and enables Scrittura; ten rows are kept. Notices are plain message boxes.
TEST_F(WindowTest, RunsShiftTheHistory) {
  window_->show();
  for (const char* blank : {"", "      "}) {
    Control("CmdEnt")->setFocus();
    Run(blank);
    EXPECT_EQ(window_->focusWidget(), TxtExp()) << '"' << blank << '"';
    EXPECT_EQ(Shown(), (Screen{kUnused, blank, "", false}));
  }
  const HistoryRow cases[] = {{"2+3", "5"},
                              {"1/2", ".5"},
                              {"-2", "-2"},
                              {"1/3", ".3333333"},
                              {"-(1/4)", "-.25"},
                              {"123456789", "1.234568E+08"},
                              {"0.0000000001", "1E-10"},
                              {"1E+39", "**************"},
                              {"SUM(1,2,3)", "6"},
                              {"7*1", "7"},
                              {"8", "8"}};
  for (const HistoryRow& c : cases) {
    Run("  " + c.formula + " ");
    EXPECT_EQ(Shown(), (Screen{window_->CurrentHistory(), "  " + c.formula + " ", c.result, true}));
    EXPECT_EQ(Row(9), c);
  }
  for (int i = 0; i < kHistoryRows; ++i) EXPECT_EQ(Row(i), cases[i + 1]) << i;
  EXPECT_TRUE(platform_.boxes().empty() && platform_.modals().empty());
  Run("C_X2(1E+9,1E+9)");  // the notice of the stopped series, then the failure
  ASSERT_EQ(platform_.boxes().size(), 2u);
  EXPECT_EQ(platform_.boxes()[0].title, "D_X2");
  EXPECT_EQ(LastBox(), (Box{"Errore di Esecuzione", BoxStyle::kOk, "NUMERELLA"}));
  EXPECT_EQ(Row(9), cases[std::size(cases) - 1]);
}

// A failed run, first or after a success with Lista Errori checked, leaves the screen as it was,
// the earlier result dimmed (and so described) until the next success; a compile failure shows
// the window "Numerella" with one button, and the listing if checked.
TEST_F(WindowTest, FailedRunsLeaveEverythingAsItWas) {
  const std::pair<const char*, bool> cases[] = {// formula, fails to compile (else to evaluate)
                                                {"2+", true},      {"(1", true},
                                                {"FOO(1)", true},  {"1/0", false},
                                                {"LOG(0)", false}, {"SQR(-1)", false}};
  QImage result;  // LblVal as a success shows it
  for (const bool after_success : {false, true}) {
    for (const auto& [formula, compile_failure] : cases) {
      SCOPED_TRACE(formula + (after_success ? " after 7, listing checked"s : " first"s));
      window_ = std::make_unique<FrmMain>(platform_);
      EXPECT_FALSE(Control<QAction>("MnuSerLis")->isChecked());
      if (after_success) {
        Run("7");
        Control<QAction>("MnuSerLis")->trigger();
      }
      TxtExp()->setPlainText(formula);
      const Screen before = Shown();
      const std::size_t boxes = platform_.boxes().size(), modals = platform_.modals().size();
      result = LblVal()->grab().toImage();
      window_->RunCalculation();
      EXPECT_EQ(Shown(), before);
      const QColor paper = LblVal()->palette().color(QPalette::Window);
      EXPECT_EQ(InkContrast(LblVal()->grab().toImage(), paper) < InkContrast(result, paper),
                after_success);
      EXPECT_EQ(LblVal()->accessibleDescription(),
                after_success ? "Risultato di un calcolo precedente" : "");
      EXPECT_EQ(platform_.modals().size(), modals + (compile_failure ? 1 : 0));
      EXPECT_EQ(platform_.boxes().size(), boxes + (compile_failure ? 0 : 1));
      if (!compile_failure) {
        EXPECT_EQ(LastBox(), (Box{"Errore di Esecuzione", BoxStyle::kOk, "NUMERELLA"}));
        continue;
      }
      QStringList captions;  // of the buttons the message window showed
      for (QPushButton* b : FrmMsg::Instance().findChildren<QPushButton*>()) {
        if (b->isVisibleTo(&FrmMsg::Instance())) captions << b->text();
      }
      EXPECT_EQ(captions, QStringList{"&Continua"});
      EXPECT_EQ(platform_.modals().back().title, "Numerella");
      const std::string listing = window_->calculator().CompileListing();
      EXPECT_EQ(listing == "***Errori di Compilazione", !after_success) << listing;
      EXPECT_EQ(listing.find('\r') != std::string::npos, after_success) << listing;
    }
  }
  Run("7");
  EXPECT_EQ(std::pair(LblVal()->grab().toImage(), LblVal()->accessibleDescription()),
            std::pair(result, QString()));
}

TEST_F(WindowTest, EnterRunsExactlyOneCalculationWhereverAndRowsPassKeysOn) {
  ShowAndActivate();
  const std::pair<const char*, Qt::Key> cases[] = {
      // the control with the focus, the key
      {"TxtExp", Qt::Key_Return},  {"TxtExp", Qt::Key_Enter},  {"CmdEnt", Qt::Key_Return},
      {"TxtSav3", Qt::Key_Return}, {"LblSav5", Qt::Key_Enter}, {"LblVal", Qt::Key_Return},
      {"CmdExi", Qt::Key_Return}};
  int runs = 0;
  for (const auto& [focus, key] : cases) {
    SCOPED_TRACE(focus + (key == Qt::Key_Enter ? " keypad Enter"s : " Return"s));
    TxtExp()->setPlainText(QString::number(++runs));
    Control(focus)->setFocus();
    QTest::keyClick(Control(focus), key);
    EXPECT_EQ(Row(8).formula, runs > 1 ? std::to_string(runs - 1) : " ");  // shifted once
    EXPECT_EQ(Row(9).formula, std::to_string(runs));
    EXPECT_EQ(Expression(), std::to_string(runs));  // no line break was inserted
    EXPECT_TRUE(window_->isVisible());
  }
  // Typing and editing keys in a history row go on in TxtExp; command keys stay with the row,
  // whose text (like the results) can be selected and copied.
  Run("2+3");
  TxtExp()->clear();
  TxtSav(9)->setFocus();
  QTest::keyClicks(TxtSav(9), "4*");
  EXPECT_EQ(std::tuple(window_->focusWidget(), Row(9).formula, Expression()),
            std::tuple(static_cast<QWidget*>(TxtExp()), "2+3"s, "4*"s));
  TxtSav(1)->setFocus();
  QTest::keyClick(TxtSav(1), Qt::Key_Backspace);
  EXPECT_EQ(std::pair(window_->focusWidget(), Row(1).formula),
            std::pair(static_cast<QWidget*>(TxtExp()), " "s));
  TxtSav(9)->setFocus();
  QTest::keyClick(TxtSav(9), Qt::Key_A, Qt::ControlModifier);
  EXPECT_EQ(std::pair(window_->focusWidget(), TxtSav(9)->selectedText()),
            std::pair(static_cast<QWidget*>(TxtSav(9)), QString("2+3")));
  EXPECT_TRUE(LblSav(9)->textInteractionFlags() & Qt::TextSelectableByMouse);
  EXPECT_TRUE(LblVal()->textInteractionFlags() & Qt::TextSelectableByMouse);
}

// A read sets all ten rows and enables Scrittura; 1 GB of zero bytes is read bounded.
TEST_F(WindowTest, ReadFilesSetTheScreen) {
  History h = kUnused;
  h[3] = {"\xe8\xe9\xf2\xb0", "**************"};
  h[9] = {"caff\xe8", "\x80\x9f\xa3\xff"};
  Put(PathOf("latin1.nmr"), WriteCalculationFile(h));
  Read(PathOf("latin1.nmr"));
  EXPECT_EQ(Shown(), (Screen{h, "caff\xe8", "\x80\x9f\xa3\xff", true}));
  Write(PathOf("again.nmr"));
  EXPECT_EQ(Contents(PathOf("again.nmr")), WriteCalculationFile(h));
  Put(PathOf("huge.nmr"), "");
  ASSERT_TRUE(QFile::resize(PathOf("huge.nmr"), qint64(1) << 30));  // sparse on disk
  Read(PathOf("huge.nmr"));
  EXPECT_LE(Row(0).formula.size(), kMaxFieldBytes);
  EXPECT_EQ(Row(9), (HistoryRow{"", ""}));
  EXPECT_TRUE(platform_.boxes().empty());
}

// Cancel, an empty name, a missing file or folder, a folder to write, the platform failing to
// open or save: each shows its message; the screen stays, and by the atomic save the old file.
TEST_F(WindowTest, FailedFileCommandsChangeNothing) {
  Run("2+3");
  const Screen before = Shown();
  const QString old = PathOf("old.nmr");
  Put(old, "\"old content\"\r\n");
  const std::tuple<bool, Path, bool> cases[] = {// save, the dialog's answer, the platform fails
                                                {false, std::nullopt, false},
                                                {false, QString(), false},
                                                {false, old, true},
                                                {false, PathOf("missing.nmr"), false},
                                                {false, PathOf("no/such/dir/x.nmr"), false},
                                                {true, std::nullopt, false},
                                                {true, QString(), false},
                                                {true, old, true},
                                                {true, folder_.path(), false}};
  for (const auto& [save, answer, fail] : cases) {
    SCOPED_TRACE(answer.value_or("<cancel>").toStdString() + (save ? " written" : " read"));
    platform_.FailNextReads(fail && !save ? 1 : 0);
    platform_.FailNextSaves(fail && save ? 1 : 0);
    save ? Write(answer) : Read(answer);
    EXPECT_EQ(LastBox(), (Box{save ? "Errore di Specificazione del File" : "File Inesistente",
                              BoxStyle::kOkExclamation, "Lettura File"}));
    EXPECT_EQ(Contents(old), "\"old content\"\r\n");
    EXPECT_EQ(Shown(), before);
  }
  EXPECT_EQ(platform_.boxes().size(), std::size(cases));
  Write(old);  // and once the disk works again, the file is replaced whole
  EXPECT_EQ(Contents(old), WriteCalculationFile(std::get<History>(before)));
}

// Key presses from typing to a file saved with the extension of the filter it was typed under,
// Ctrl+Q, Ctrl+O in a new window, F1 and ESCI. Both file dialogs offer the two filters, the second
// chosen.
TEST_F(WindowTest, TypeComputeSaveQuitAndReadBack) {
  ShowAndActivate();
  const auto type = [this](const char* formula, const char* shown) {  // select all, type, Enter
    QTest::keyClick(TxtExp(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(TxtExp(), QLatin1String(formula));
    QTest::keyClick(TxtExp(), Qt::Key_Return);
    EXPECT_EQ(Result(), shown) << formula;
  };
  type("2*(3+4)^2", "98");
  type("SQR(2)", "1.414214");
  platform_.QueueFileAnswer(PathOf("sessione"), 1);  // typed under "File Numerella (*.nmr)"
  QTest::keyClick(TxtExp(), Qt::Key_S, Qt::ControlModifier);
  const QByteArray rows = "\"2*(3+4)^2\"\r\n\"98\"\r\n\"SQR(2)\"\r\n\"1.414214\"\r\n";
  EXPECT_EQ(Contents(PathOf("sessione.nmr")), QByteArray("\" \"\r\n").repeated(16) + rows);
  EXPECT_FALSE(QFile::exists(PathOf("sessione")));
  const Screen saved = Shown();
  QTest::keyClick(TxtExp(), Qt::Key_Q, Qt::ControlModifier);
  EXPECT_FALSE(window_->isVisible());

  window_ = std::make_unique<FrmMain>(platform_);
  ShowAndActivate();
  platform_.QueueFileAnswer(PathOf("sessione.nmr"));
  QTest::keyClick(TxtExp(), Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(Shown(), saved);
  QTest::keyClick(TxtExp(), Qt::Key_F1);
  EXPECT_EQ(platform_.modals().size(), 1u);                       // the function list
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 1000));  // active again after it
  EXPECT_EQ(Control<QPushButton>("CmdExi")->text(), "&ESCI");
  QTest::keyClick(TxtExp(), Qt::Key_E, Qt::AltModifier);  // ESCI's access key, an animated click
  EXPECT_TRUE(QTest::qWaitFor([this] { return !window_->isVisible(); }, 1000));
  const QStringList filters{"Tutti i File (*)", "File Numerella (*.nmr)"};
  ASSERT_EQ(platform_.file_dialogs().size(), 2u);
  for (const auto& d : platform_.file_dialogs()) {  // Scrittura, then Lettura
    EXPECT_EQ(std::tuple(d.save, d.filters, d.selected_filter, d.folder),
              std::tuple(&d == &platform_.file_dialogs()[0], filters, 1, QDir::currentPath()));
  }
}

}  // namespace
}  // namespace numerella
