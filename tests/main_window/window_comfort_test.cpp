// SPDX-License-Identifier: GPL-3.0-or-later
// The main window as a keyboard, mouse and screen-reader user meets it: where the focus goes
// after boxes and dialogs, recalling formulas, copying results, colours that follow the
// desktop, names for screen readers, the command line and long fields read and saved whole.
#include <QAccessible>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <fstream>

#include "main_window/command_line.h"
#include "main_window/entry_boxes.h"
#include "window_fixture.h"

namespace numerella {
namespace {

// Every way a box, a window or a dialog comes and goes ends with the window active and the
// keys going into TxtExp, typed as the keyboard types them (to the focus widget).
TEST_F(WindowTest, TypingGoesOnInTheExpressionAfterEveryBoxAndDialog) {
  ShowAndActivate();
  const auto press = [](int key) {
    return ScriptedPlatformServices::ModalAction([key](QDialog& d) {
      QTest::keyClick(d.focusWidget() != nullptr ? d.focusWidget() : &d, Qt::Key(key));
    });
  };
  struct Case {
    const char* what;
    std::function<void()> act;
  };
  const Case cases[] = {
      {"compile error, Esc",
       [&] {
         platform_.QueueModal(press(Qt::Key_Escape));
         TypeAtFocus("2*-3");
         KeyAtFocus(Qt::Key_Return);
       }},
      {"compile error, Enter",
       [&] {
         platform_.QueueModal(press(Qt::Key_Return));
         TypeAtFocus("(1");
         KeyAtFocus(Qt::Key_Return);
       }},
      {"compile error, Continua",
       [&] {
         platform_.QueueModal(1);
         TypeAtFocus("FOO(1)");
         KeyAtFocus(Qt::Key_Return);
       }},
      {"evaluation error",
       [&] {
         TypeAtFocus("1/0");
         KeyAtFocus(Qt::Key_Return);
       }},
      {"function card, Esc",
       [&] {
         platform_.QueueModal(press(Qt::Key_Escape));
         KeyAtFocus(Qt::Key_F1);
       }},
      {"Lettura cancelled",
       [&] {
         platform_.QueueFileAnswer(std::nullopt);
         KeyAtFocus(Qt::Key_O, Qt::ControlModifier);
       }},
      {"Scrittura cancelled",
       [&] {
         platform_.QueueFileAnswer(std::nullopt);
         window_->WriteCalculationFileCommand();
       }},
      {"click on CALCOLO",
       [&] {
         TypeAtFocus("2+3");
         QTest::mouseClick(Control("CmdEnt"), Qt::LeftButton);
       }},
      {"a result by Enter",
       [&] {
         TypeAtFocus("4");
         KeyAtFocus(Qt::Key_Return);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    TxtExp()->clear();
    c.act();
    // Activation goes through the window system, as on a desktop: it arrives with the events.
    EXPECT_TRUE(QTest::qWaitForWindowActive(window_.get(), 1000));
    EXPECT_EQ(Focus(), TxtExp());
    TxtExp()->clear();
    TypeAtFocus("7*");
    EXPECT_EQ(Expression(), "7*");
  }
}

// After a failed compilation, once the message window is closed, the first offending part of
// the formula is selected in TxtExp, ready to be typed over; where the compiler names no place
// (its counters overflow) the cursor goes to the end.
TEST_F(WindowTest, AFailedCompilationSelectsTheFirstOffendingPart) {
  ShowAndActivate();
  const QString too_long = QString("1+").repeated(20000) + "1";  // a section past 32,767
  const QString too_deep = QString("(").repeated(16379) + "1" + QString(")").repeated(16379);
  const std::tuple<QString, int, int> cases[] = {
      // formula, start and length selected
      {"2*-3", 2, 1},
      {"2+FOO*3", 2, 3},
      {"1.2.3+1", 0, 5},
      {"(1+2))*3", 5, 1},
      {"((1+2)", 0, 1},
      {"SIN(1,2)+1", 0, 8},
      {"2+", 1, 1},
      {"1+ABCDEFGHIJKLMNOPQRSTUVWXYZABCDEFGHIJKL", 2, 38},
      {too_long, 0, int(too_long.size())},
      {too_deep, int(too_deep.size()), 0}};
  for (const auto& [formula, start, length] : cases) {
    SCOPED_TRACE(formula.left(40).toStdString());
    KeyAtFocus(Qt::Key_A, Qt::ControlModifier);
    TxtExp()->insertPlainText(formula);
    const std::size_t shown = platform_.modals().size();
    KeyAtFocus(Qt::Key_Return);
    ASSERT_EQ(platform_.modals().size(), shown + 1);  // the message window came and went
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 1000));
    EXPECT_EQ(Focus(), TxtExp());
    const QTextCursor cursor = TxtExp()->textCursor();
    EXPECT_EQ(std::tuple(cursor.selectionStart(), cursor.selectionEnd(), cursor.position()),
              std::tuple(start, start + length, start + length));
  }
  KeyAtFocus(Qt::Key_A, Qt::ControlModifier);
  TxtExp()->insertPlainText(too_long);
  KeyAtFocus(Qt::Key_Return);
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get(), 1000));
  TypeAtFocus("9");  // typing replaces the selected part
  EXPECT_EQ(Expression(), "9");
}

// The point in the middle of a label's text, wherever the label aligns it.
QPoint MiddleOfText(const QLabel* label) {
  const int advance = label->fontMetrics().horizontalAdvance(label->text());
  const QRect r = label->contentsRect();
  const int x =
      label->alignment() & Qt::AlignRight ? r.right() - advance / 2 : r.left() + advance / 2;
  return {x, r.center().y()};
}

// A double-click on a result takes it whole, whatever "." "E+" or "-" it holds; results and
// formula rows offer the same menu, whose entries select and copy the whole text.
TEST_F(WindowTest, DoubleClickTakesAResultWholeAndResultsShareTheRowsMenu) {
  ShowAndActivate();
  const std::pair<const char*, const char*> cases[] = {
      {"0.9750022", ".9750022"}, {"123456789", "1.234568E+08"}, {"-3^2", "-9"}, {"1E-10", "1E-10"}};
  for (const auto& [formula, result] : cases) {
    Run(formula);
    ASSERT_EQ(Result(), result);
    for (QLabel* label : {LblVal(), LblSav(9)}) {
      SCOPED_TRACE(label->objectName().toStdString() + " " + result);
      label->setSelection(0, 0);
      QTest::mouseDClick(label, Qt::LeftButton, {}, MiddleOfText(label));
      EXPECT_EQ(label->selectedText(), QString(result));
    }
  }
  const auto entries = [](QMenu* menu) {
    QStringList texts;
    for (QAction* a : menu->actions()) texts << a->text();
    return texts;
  };
  Run("2.5*2");
  auto* row = Control<HistoryBox>("TxtSav9");
  auto* result = Control<ResultLabel>("LblSav9");
  std::unique_ptr<QMenu> row_menu(row->CreateCopyMenu()), result_menu(result->CreateCopyMenu());
  EXPECT_EQ(entries(result_menu.get()), entries(row_menu.get()));
  EXPECT_EQ(entries(row_menu.get()).size(), 3);  // Copia, a separator, Seleziona tutto
  EXPECT_TRUE(entries(row_menu.get()).front().startsWith("&Copia\t"));
  for (QWidget* w : std::initializer_list<QWidget*>{row, result}) {
    SCOPED_TRACE(w->objectName().toStdString());
    QApplication::clipboard()->clear();
    std::unique_ptr<QMenu> menu(w == row ? row->CreateCopyMenu() : result->CreateCopyMenu());
    EXPECT_FALSE(menu->findChild<QAction*>("Copia")->isEnabled());  // nothing selected yet
    menu->findChild<QAction*>("SelezionaTutto")->trigger();
    menu.reset(w == row ? row->CreateCopyMenu() : result->CreateCopyMenu());
    menu->findChild<QAction*>("Copia")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), w == row ? QString("2.5*2") : QString("5"));
  }
}

// A palette changed while the program runs (a dark theme) reaches the history rows: their
// shade is the palette's 3D light and their text its window text, in every colour group.
TEST_F(WindowTest, HistoryColoursFollowAPaletteChange) {
  window_->show();
  const QPalette original = QApplication::palette();
  QPalette dark(QColor(0x30, 0x30, 0x30), QColor(0x20, 0x20, 0x20));
  dark.setColor(QPalette::Midlight, QColor(0x45, 0x45, 0x50));
  dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xe0));
  dark.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0xdd, 0xdd, 0xd0));
  for (const QPalette& p : {dark, original}) {
    QApplication::setPalette(p);
    QApplication::processEvents();
    for (int i : {0, 9}) {
      for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        const QColor shade = p.color(group, QPalette::Midlight);
        const QColor text = p.color(group, QPalette::WindowText);
        EXPECT_EQ(TxtSav(i)->palette().color(group, QPalette::Base), shade) << i;
        EXPECT_EQ(TxtSav(i)->palette().color(group, QPalette::Text), text) << i;
        EXPECT_EQ(LblSav(i)->palette().color(group, QPalette::Window), shade) << i;
        EXPECT_EQ(LblSav(i)->palette().color(group, QPalette::WindowText), text) << i;
      }
    }
  }
}

// Reached by Tab, a result is marked as a history formula is: its text selected in the
// palette's highlight; the mark goes when the focus moves on.
TEST_F(WindowTest, TabMarksResultsAsItMarksFormulas) {
  ShowAndActivate();
  Run("2+3");
  const QRgb highlight = window_->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  const auto marked = [highlight](QWidget* w) {
    const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y)
      for (int x = 0; x < image.width(); ++x)
        if (image.pixel(x, y) == highlight) return true;
    return false;
  };
  const std::pair<const char*, int> cases[] = {// control, Tab presses from TxtExp
                                               {"LblVal", 3},
                                               {"TxtSav1", 6},
                                               {"LblSav1", 7},
                                               {"TxtSav9", 22},
                                               {"LblSav9", 23}};
  for (const auto& [name, tabs] : cases) {
    QWidget* control = Control(name);
    TxtExp()->setFocus();
    const bool before = marked(control);
    for (int i = 0; i < tabs; ++i) KeyAtFocus(Qt::Key_Tab);
    ASSERT_EQ(Focus(), control) << name;
    const bool focused = marked(control);
    KeyAtFocus(Qt::Key_Tab);
    EXPECT_EQ(std::tuple(before, focused, marked(control)), std::tuple(false, true, false)) << name;
  }
}

// Up on the first line and Down on the last walk through the history formulas, newest first,
// skipping blank rows and the formula already shown, back to what was typed; a double-click
// on a row puts its formula in. The cursor ends at the end, and Enter runs one calculation.
TEST_F(WindowTest, UpDownAndDoubleClickRecallHistoryFormulas) {
  ShowAndActivate();
  for (const char* f : {"1+1", "2+2", "2+2", "3+3"}) {
    TypeAtFocus(f);
    KeyAtFocus(Qt::Key_Return);
    KeyAtFocus(Qt::Key_A, Qt::ControlModifier);
  }
  TypeAtFocus("4*");
  const std::pair<Qt::Key, const char*> steps[] = {
      {Qt::Key_Down, "4*"}, {Qt::Key_Up, "3+3"},   {Qt::Key_Up, "2+2"},   {Qt::Key_Up, "1+1"},
      {Qt::Key_Up, "1+1"},  {Qt::Key_Down, "2+2"}, {Qt::Key_Down, "3+3"}, {Qt::Key_Down, "4*"},
      {Qt::Key_Down, "4*"}, {Qt::Key_Up, "3+3"}};
  for (const auto& [key, shown] : steps) {
    KeyAtFocus(key);
    EXPECT_EQ(Expression(), shown);
    EXPECT_EQ(TxtExp()->textCursor().position(), int(std::strlen(shown))) << shown;
    EXPECT_FALSE(TxtExp()->textCursor().hasSelection());
  }
  KeyAtFocus(Qt::Key_Up);  // 2+2, edited and run once
  TypeAtFocus("*5");
  KeyAtFocus(Qt::Key_Return);
  EXPECT_EQ(std::tuple(Row(7).formula, Row(8).formula, Row(9)),
            std::tuple("2+2"s, "3+3"s, HistoryRow{"2+2*5", "12"}));
  KeyAtFocus(Qt::Key_Up);  // a new walk after the run, from the newest row
  EXPECT_EQ(Expression(), "3+3");

  // Inside a wrapped formula Up and Down move the cursor; with Shift they select.
  const QString long_formula = QString("1+").repeated(100) + "1";
  TxtExp()->setPlainText(long_formula);
  TxtExp()->moveCursor(QTextCursor::End);
  KeyAtFocus(Qt::Key_Up);
  EXPECT_EQ(TxtExp()->toPlainText(), long_formula);
  EXPECT_LT(TxtExp()->textCursor().position(), long_formula.size());
  TxtExp()->moveCursor(QTextCursor::Start);
  KeyAtFocus(Qt::Key_Up, Qt::ShiftModifier);
  EXPECT_EQ(TxtExp()->toPlainText(), long_formula);

  QTest::mouseDClick(TxtSav(7), Qt::LeftButton);
  EXPECT_EQ(std::tuple(Expression(), TxtExp()->textCursor().position(), Focus()),
            std::tuple("2+2"s, 3, static_cast<QWidget*>(TxtExp())));
  QTest::mouseDClick(TxtSav(0), Qt::LeftButton);  // a blank row has nothing to give
  EXPECT_EQ(Expression(), "2+2");
}

QString AccessibleText(QObject* object, QAccessible::Text kind) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
  return a != nullptr ? a->text(kind) : QStringLiteral("<none>");
}

// Every control carries an Italian name in the accessibility tree (a result's name also holds
// the result), every menu entry is named, and Tab reaches each history row for reading.
TEST_F(WindowTest, ScreenReadersFindEveryControlNamedAndReachEveryRow) {
  ShowAndActivate();
  Run("2+3");
  const std::pair<const char*, const char*> names[] = {{"TxtExp", "Espressione"},
                                                       {"CmdEnt", "CALCOLO"},
                                                       {"CmdExi", "ESCI"},
                                                       {"LblVal", "Risultato: 5"},
                                                       {"TxtSav0", "Cronologia, formula 1"},
                                                       {"TxtSav9", "Cronologia, formula 10"},
                                                       {"LblSav0", "Cronologia, risultato 1"},
                                                       {"LblSav9", "Cronologia, risultato 10: 5"},
                                                       {"MnuFil", "File"},
                                                       {"MnuSer", "Servizi"}};
  for (const auto& [control, name] : names) {
    EXPECT_EQ(AccessibleText(Control<QObject>(control), QAccessible::Name), name);
  }
  EXPECT_EQ(AccessibleText(TxtSav(9), QAccessible::Value), "2+3");
  // The whole tree: no widget a user can reach is nameless.
  std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
    const QAccessible::Role role = node->role();
    const bool control = role == QAccessible::EditableText || role == QAccessible::StaticText ||
                         role == QAccessible::Button || role == QAccessible::MenuItem ||
                         role == QAccessible::PopupMenu || role == QAccessible::MenuBar;
    if (control && !(role == QAccessible::MenuItem && node->text(QAccessible::Name).isEmpty() &&
                     node->state().invisible)) {
      EXPECT_FALSE(node->text(QAccessible::Name).trimmed().isEmpty())
          << "role " << role << " of " << node->object()->objectName().toStdString();
    }
    for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
  };
  walk(QAccessible::queryAccessibleInterface(window_.get()));
  for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>()) {
    walk(QAccessible::queryAccessibleInterface(menu));
  }

  QStringList order;
  TxtExp()->setFocus();
  for (int i = 0; i < 24; ++i) {
    KeyAtFocus(Qt::Key_Tab);
    order << Focus()->objectName();
  }
  QStringList expected{"CmdEnt", "CmdExi", "LblVal"};
  for (int i = 0; i < kHistoryRows; ++i)
    expected << QString("TxtSav%1").arg(i) << QString("LblSav%1").arg(i);
  expected << "TxtExp";
  EXPECT_EQ(order, expected);
}

// Typing, pasting and keys typed into a history row stop at the longest formula that
// compiles: whatever would go past it changes nothing and is reported once.
TEST_F(WindowTest, TheFormulaNeverGrowsPastWhatCompiles) {
  constexpr int kMax = ExpressionBox::kMaxFormula;
  const Box too_long{"Formula Troppo Lunga (al massimo 32767 caratteri)", BoxStyle::kOkExclamation,
                     "NUMERELLA"};
  enum How { kPaste, kKeys, kRow };
  const std::tuple<int, int, How, int, bool> cases[] = {
      // length before, selected at its end, how, characters added, refused
      {0, 0, kPaste, kMax, false},      {0, 0, kPaste, kMax + 1, true},
      {kMax - 2, 0, kKeys, 2, false},   {kMax, 0, kKeys, 1, true},
      {kMax, 1, kKeys, 1, false},       {kMax, 0, kRow, 1, true},
      {kMax - 7, 5, kPaste, 12, false}, {kMax - 7, 5, kPaste, 13, true},
      {kMax + 9, 0, kKeys, 1, true},    {kMax + 9, 3, kPaste, 2, false}};
  ShowAndActivate();
  for (const auto& [before, selected, how, added, refused] : cases) {
    SCOPED_TRACE(testing::Message() << before << " " << selected << " " << how << " " << added);
    const std::size_t boxes = platform_.boxes().size();
    TxtExp()->setPlainText(QString(before, u'1'));
    TxtExp()->moveCursor(QTextCursor::End);
    for (int i = 0; i < selected; ++i)
      TxtExp()->moveCursor(QTextCursor::Left, QTextCursor::KeepAnchor);
    const QString text(added, u'2');
    if (how == kPaste) QApplication::clipboard()->setText(text);
    if (how == kPaste) TxtExp()->paste();
    if (how == kKeys) QTest::keyClicks(TxtExp(), text);
    if (how == kRow) QTest::keyClicks(TxtSav(3), text);
    QApplication::processEvents();
    EXPECT_EQ(Expression().size(), std::size_t(refused ? before : before - selected + added));
    EXPECT_EQ(platform_.boxes().size(), boxes + (refused ? 1 : 0));
    EXPECT_EQ(refused ? LastBox() : too_long, too_long);
    EXPECT_EQ(Focus(), TxtExp());
  }
}

// The command line names at most one calculation file, by its bytes in any encoding; --help
// and --version answer at once.
TEST(StartArguments, FileHelpVersionAndMistakes) {
  QCoreApplication::setApplicationName("Numerella");
  QCoreApplication::setApplicationVersion("9.8.7");
  using Kind = StartRequest::Kind;
  const std::tuple<std::vector<std::string>, Kind, std::string, QString> cases[] = {
      // + file, part of the text
      {{"numerella"}, Kind::kOpen, "", ""},
      {{"numerella", "conti.nmr"}, Kind::kOpen, "conti.nmr", ""},
      {{"numerella", "caf\xe9 \xc3\xa8.nmr"}, Kind::kOpen, "caf\xe9 \xc3\xa8.nmr", ""},
      {{"numerella", "--", "-strano.nmr"}, Kind::kOpen, "-strano.nmr", ""},
      {{"numerella", "-\xc3\xa8"}, Kind::kError, "", "\u00E8"},
      {{"numerella", "--help"}, Kind::kHelp, "", "Uso: numerella [opzioni] [--] [file]"},
      {{"numerella", "-style", "x", "--reverse"}, Kind::kOpen, "", ""},
      {{"numerella", "-h"}, Kind::kHelp, "", "--version"},
      {{"numerella", "--version"}, Kind::kVersion, "", "Numerella 9.8.7\n"},
      {{"numerella", "a.nmr", "b.nmr"}, Kind::kError, "", "un solo file"},
      {{"numerella", "--nessuna"}, Kind::kError, "", "opzione sconosciuta: --nessuna"}};
  for (const auto& [arguments, kind, file, text] : cases) {
    const StartRequest r = ParseStartArguments(arguments);
    SCOPED_TRACE(arguments.back() + " -> " + r.text.toStdString());
    EXPECT_EQ(std::tuple(r.kind, r.file), std::tuple(kind, file));
    EXPECT_TRUE(r.text.contains(text));
    EXPECT_EQ(r.text.isEmpty(), text.isEmpty());
  }
}

// A file named at start-up (a name that is no UTF-8 text here) is read as File > Lettura
// reads it once the window is on the screen, with the same message when it cannot be opened,
// and typing goes on in TxtExp.
TEST_F(WindowTest, AFileNamedAtStartUpIsReadAsLetturaReadsIt) {
  History h = kUnused;
  h[8] = {"1+1", "2"};
  h[9] = {"SQR(2)", "1.414214"};
  const std::string name = QFile::encodeName(folder_.path()).toStdString() + "/conti\xe9.nmr";
  std::ofstream(name, std::ios::binary) << WriteCalculationFile(h).toStdString();
  window_->ReadCalculationFileOnceShown(name);
  QApplication::processEvents();
  EXPECT_EQ(Shown(), (Screen{kUnused, "", "", false}));  // not before the window is shown
  ShowAndActivate();
  EXPECT_TRUE(QTest::qWaitFor([&] { return Row(9) == h[9]; }, 1000));
  EXPECT_EQ(Shown(), (Screen{h, "SQR(2)", "1.414214", true}));
  EXPECT_EQ(TxtExp()->textCursor().position(), 6);
  window_->ReadCalculationFileAt(name + "x");
  EXPECT_EQ(Shown(), (Screen{h, "SQR(2)", "1.414214", true}));
  EXPECT_EQ(LastBox(), (Box{"File Inesistente", BoxStyle::kOkExclamation, "Lettura File"}));
  EXPECT_EQ(Focus(), TxtExp());
}

// Fields up to the reader's 64 KiB bound, of every byte a quoted field can hold, are shown
// whole (TxtExp gets the newest formula whole) and saved back into the same file.
TEST_F(WindowTest, LongFieldsAreShownAndSavedBackWhole) {
  std::string bytes;
  for (int c = 1; c < 256; ++c) {
    if (c != '"' && c != '\r' && c != '\n') bytes.push_back(static_cast<char>(c));
  }
  const std::size_t lengths[] = {32767, 32768, 40000, kMaxFieldBytes};
  History h = kUnused;
  for (std::size_t i = 0; i < std::size(lengths); ++i) {
    std::string field;
    while (field.size() < lengths[i]) field += bytes;
    field.resize(lengths[i]);
    h[2 * i + 2] = {field, field.substr(0, lengths[i] / 2)};
  }
  h[9].formula = h[8].formula;  // the longest also as the newest formula
  Put(PathOf("long.nmr"), WriteCalculationFile(h));
  Read(PathOf("long.nmr"));
  EXPECT_TRUE(window_->CurrentHistory() == h);
  EXPECT_EQ(Expression().size(), kMaxFieldBytes);
  EXPECT_TRUE(Expression() == h[9].formula);
  Write(PathOf("again.nmr"));
  EXPECT_TRUE(Contents(PathOf("again.nmr")) == Contents(PathOf("long.nmr")));
}

}  // namespace
}  // namespace numerella
