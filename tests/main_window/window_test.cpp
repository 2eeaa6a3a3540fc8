// SPDX-License-Identifier: GPL-3.0-or-later
// The main window driven by the scripts of window_script.tsv (keys, commands and files, then
// what the user finds), and what no script shows: geometry, fonts, colours, menus, names.
#include <QAccessible>
#include <QClipboard>
#include <QDialog>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <fstream>
#include <functional>

#include "colours.h"
#include "main_window/command_line.h"
#include "message_window/frm_msg.h"
#include "table.h"
#include "window_fixture.h"

namespace numerella {
namespace {

QString AccessibleName(QObject* object) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
  return a != nullptr ? a->text(QAccessible::Name) : QStringLiteral("<none>");
}
bool Marked(QWidget* w) {  // some pixel in the palette's highlight
  const QRgb highlight = w->window()->palette().color(QPalette::Active, QPalette::Highlight).rgb();
  const QImage image = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (image.pixel(x, y) == highlight) return true;
  return false;
}
QPoint MiddleOfText(const QLabel* label) {  // wherever the label aligns its text
  const int advance = label->fontMetrics().horizontalAdvance(label->text());
  const QRect r = label->contentsRect();
  return {label->alignment() & Qt::AlignRight ? r.right() - advance / 2 : r.left() + advance / 2,
          r.center().y()};
}

TEST_F(WindowTest, Scripts) {
  QImage snap;
  std::size_t boxes = 0, modals = 0, dialogs = 0;  // shown before the mark
  const auto mark = [&] {
    std::tie(boxes, modals, dialogs) = std::tuple(
        platform_.boxes().size(), platform_.modals().size(), platform_.file_dialogs().size());
  };
  const auto raw = [&](const std::string& name) {  // a file name's bytes, in the test's folder
    return QFile::encodeName(folder_.path()).toStdString() + "/" + table::Unescape(name);
  };
  const auto actions =
      std::map<std::string, std::function<void(const std::string&, const std::string&)>>{
          {"hidden", [&](auto&, auto&) { window_ = std::make_unique<FrmMain>(platform_), mark(); }},
          {"new",
           [&](auto&, auto&) {
             window_ = std::make_unique<FrmMain>(platform_), mark(), ShowAndActivate();
           }},
          {"mark", [&](auto&, auto&) { mark(); }},
          {"wait", [&](auto& a, auto&) { QTest::qWait(std::stoi(a)); }},
          {"show", [&](auto&, auto&) { ShowAndActivate(); }},
          {"keys", [&](auto& a, auto&) { Type(QString::fromStdString(a)); }},
          {"set",
           [&](auto& a, auto&) {
             TxtExp()->setPlainText(FromBytes(table::Unescape(a)));
             TxtExp()->moveCursor(QTextCursor::End);
           }},
          {"run", [&](auto&, auto&) { window_->RunCalculation(); }},
          {"read", [&](auto&, auto&) { window_->ReadCalculationFileCommand(); }},
          {"write", [&](auto&, auto&) { window_->WriteCalculationFileCommand(); }},
          {"focus", [&](auto& a, auto&) { Control(QString::fromStdString(a))->setFocus(); }},
          {"click",
           [&](auto& a, auto&) {
             QTest::mouseClick(Control(QString::fromStdString(a)), Qt::LeftButton);
           }},
          {"dclick",
           [&](auto& a, auto&) {
             QTest::mouseDClick(Control(QString::fromStdString(a)), Qt::LeftButton);
           }},
          {"dclicktext",
           [&](auto& a, auto&) {
             auto* label = Control<QLabel>(QString::fromStdString(a));
             label->setSelection(0, 0);
             QTest::mouseDClick(label, Qt::LeftButton, {}, MiddleOfText(label));
           }},
          {"modal",
           [&](auto& a, auto&) {  // a button's number, or a key pressed in the dialog
             if (a.size() == 1) return platform_.QueueModal(std::stoi(a));
             platform_.QueueModal(ScriptedPlatformServices::ModalAction([a](QDialog& d) {
               QTest::keyClick(d.focusWidget() != nullptr ? d.focusWidget() : &d,
                               a == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
             }));
           }},
          {"answer",
           [&](auto& a, auto& e) {  // "-": Cancel; a filter's number after the name
             if (a == "-") return platform_.QueueFileAnswer(std::nullopt);
             platform_.QueueFileAnswer(a.empty() ? QString() : PathOf(QString::fromStdString(a)),
                                       e.empty() ? std::nullopt : std::optional(std::stoi(e)));
           }},
          {"failread", [&](auto&, auto&) { platform_.FailNextReads(1); }},
          {"failsave", [&](auto&, auto&) { platform_.FailNextSaves(1); }},
          {"put", [&](auto& a,
                      auto& e) { std::ofstream(raw(a), std::ios::binary) << table::Unescape(e); }},
          {"grow",
           [&](auto& a, auto& e) {
             ASSERT_TRUE(QFile::resize(PathOf(FromBytes(a)), std::stoll(e)));
           }},
          {"start",
           [&](auto& a, auto&) {
             window_->ReadCalculationFileOnceShown(raw(a));
             QApplication::processEvents();
           }},
          {"readat", [&](auto& a, auto&) { window_->ReadCalculationFileAt(raw(a)); }},
          {"listing", [&](auto&, auto&) { Control<QAction>("MnuSerLis")->trigger(); }},
          {"paste",
           [&](auto& a, auto&) {
             QApplication::clipboard()->setText(FromBytes(table::Unescape(a)));
             TxtExp()->paste();
           }},
          {"snap", [&](auto&, auto&) { snap = LblVal()->grab().toImage(); }},
      };
  const auto probes = std::map<std::string, std::function<std::string(const std::string&)>>{
      {"exp", [&](const std::string&) -> std::string { return Expression(); }},
      {"len",
       [&](const std::string&) -> std::string { return std::to_string(Expression().size()); }},
      {"val", [&](const std::string&) -> std::string { return Result(); }},
      {"row",
       [&](const std::string& a) -> std::string {
         const HistoryRow& r = window_->CurrentHistory()[std::stoi(a)];
         return ToBytes(Control<QLineEdit>(QString("TxtSav") + a.c_str())->text()) + "=" +
                ToBytes(Control<QLabel>(QString("LblSav") + a.c_str())->text()) + "|" + r.formula;
       }},
      {"formulas",
       [&](const std::string&) -> std::string {
         std::string all;
         for (const HistoryRow& r : window_->CurrentHistory()) all += r.formula + "|";
         return all;
       }},
      {"scr",
       [&](const std::string&) -> std::string {
         return std::to_string(Control<QAction>("MnuFilScr")->isEnabled());
       }},
      {"focused",
       [&](const std::string&) -> std::string {
         return Focus() ? Focus()->objectName().toStdString() : "-";
       }},
      {"active",
       [&](const std::string&) -> std::string {
         return std::to_string(QTest::qWaitForWindowActive(window_.get(), 1000));
       }},
      {"gone",
       [&](const std::string&) -> std::string {
         return std::to_string(QTest::qWaitFor([&] { return !window_->isVisible(); }, 1000));
       }},
      {"box", [&](const std::string&) -> std::string { return LastBox(platform_); }},
      {"boxes",
       [&](const std::string&) -> std::string {
         std::string titles;  // of the boxes since the mark
         for (auto b = platform_.boxes().begin() + boxes; b != platform_.boxes().end(); ++b)
           titles += b->title + "|";
         return titles;
       }},
      {"modals",
       [&](const std::string&) -> std::string {
         return std::to_string(platform_.modals().size() - modals);
       }},
      {"title",
       [&](const std::string&) -> std::string {
         return platform_.modals().back().title.toStdString();
       }},
      {"buttons",
       [&](const std::string&) -> std::string {
         std::string shown;  // the captions of the message window's buttons
         for (QPushButton* b : FrmMsg::Instance().findChildren<QPushButton*>())
           if (b->isVisibleTo(&FrmMsg::Instance())) shown += b->text().toStdString() + "|";
         return shown;
       }},
      {"cursor",
       [&](const std::string&) -> std::string {
         const QTextCursor c = TxtExp()->textCursor();
         return std::to_string(c.selectionStart()) + " " + std::to_string(c.selectionEnd()) + " " +
                std::to_string(c.position());
       }},
      {"file",
       [&](const std::string& a) -> std::string {
         return Contents(PathOf(FromBytes(a))).toStdString();
       }},
      {"atend",
       [&](const std::string&) -> std::string {
         return std::to_string(TxtExp()->textCursor().atEnd());
       }},
      {"tabs",
       [&](const std::string& a) -> std::string {
         std::string order;  // the controls Tab reaches one after the other
         for (int i = std::stoi(a); i > 0; --i)
           order += (Type("{Tab}"), Focus()->objectName().toStdString() + "|");
         return order;
       }},
      {"exists",
       [&](const std::string& a) -> std::string {
         return std::to_string(QFile::exists(PathOf(FromBytes(a))));
       }},
      {"dimmed",
       [&](const std::string&) -> std::string {
         const QColor paper = LblVal()->palette().color(QPalette::Window);
         return std::to_string(InkContrast(LblVal()->grab().toImage(), paper) <
                               InkContrast(snap, paper)) +
                " " + LblVal()->accessibleDescription().toStdString();
       }},
      {"compiled",
       [&](const std::string&) -> std::string { return window_->calculator().CompileListing(); }},
      {"dialogs",
       [&](const std::string&) -> std::string {
         std::string all;
         for (auto d = platform_.file_dialogs().begin() + dialogs;
              d != platform_.file_dialogs().end(); ++d)
           all += (d->save ? "save " : "open ") + d->filters.join(';').toStdString() + " " +
                  std::to_string(d->selected_filter) +
                  (d->folder == QDir::currentPath() ? " here|" : " elsewhere|");
         return all;
       }},
      {"marked",
       [&](const std::string& a) -> std::string {
         return std::to_string(Marked(Control(QString::fromStdString(a))));
       }},
      {"name",
       [&](const std::string& a) -> std::string {
         return AccessibleName(Control<QObject>(QString::fromStdString(a))).toStdString();
       }},
      {"selected",
       [&](const std::string& a) -> std::string {
         QWidget* w = Control(QString::fromStdString(a));
         auto* label = qobject_cast<QLabel*>(w);
         return (label ? label->selectedText() : qobject_cast<QLineEdit*>(w)->selectedText())
             .toStdString();
       }},
  };
  const std::vector<table::Row> rows = table::Read(NUMERELLA_WINDOW_SCRIPT);
  ASSERT_GT(rows.size(), 100u);
  int line = 0;
  for (table::Row row : rows) {
    row.resize(3);
    SCOPED_TRACE(std::to_string(++line) + ": " + row[0] + " " + row[1].substr(0, 60) + " " +
                 row[2].substr(0, 60));
    if (actions.count(row[0]) != 0) {
      actions.at(row[0])(row[1], row[2]);
    } else if (probes.count(row[0]) != 0) {
      QApplication::processEvents();  // what was posted has arrived
      EXPECT_EQ(probes.at(row[0])(row[1]), table::Unescape(row[2]));
    } else {
      ADD_FAILURE() << "unknown step";
    }
  }
}

TEST_F(WindowTest, ControlsWhereTheLayoutPutsThemInTheirFontsAtAFixedSize) {
  const MainWindowLayout& l = window_->Layout();
  const auto pixels = [&](const TwipRect& r) {
    const PixelRect p = ToPixels(r, window_->logicalDpiX(), window_->logicalDpiY());
    return QRect(p.x, p.y, p.width, p.height);
  };
  for (int i = 0; i < kHistoryRows; ++i) {
    EXPECT_EQ(Control(QString("TxtSav%1").arg(i))->geometry(), pixels(l.formula_rows[i])) << i;
    EXPECT_EQ(Control(QString("LblSav%1").arg(i))->geometry(), pixels(l.result_rows[i])) << i;
  }
  EXPECT_EQ(TxtExp()->geometry(), pixels(l.expression));
  EXPECT_EQ(LblVal()->geometry(), pixels(l.result));
  const auto face = [](const QFont& f) { return std::pair(f.family(), f.pointSizeF()); };
  EXPECT_EQ(face(TxtExp()->font()), face(FrmMain::TerminalFont()));
  for (const auto& [name, rect] : {std::pair("CmdEnt", l.calculate), std::pair("CmdExi", l.exit)}) {
    EXPECT_EQ(Control(name)->geometry(), pixels(rect)) << name;
    EXPECT_EQ(face(Control(name)->font()), face(FrmMain::ButtonFont())) << name;
  }
  window_->show();
  window_->resize(window_->size() * 2);
  EXPECT_EQ(window_->minimumSize(), window_->maximumSize());
  EXPECT_EQ(window_->centralWidget()->size(), pixels({0, 0, l.client_width, l.area_height}).size());
}

// A palette changed while the program runs (a dark theme) reaches the history rows: shaded in
// its 3D light, written in its window text, in every colour group.
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
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
      const QColor shade = p.color(group, QPalette::Midlight),
                   text = p.color(group, QPalette::WindowText);
      for (const char* name : {"TxtSav0", "TxtSav9", "LblSav0", "LblSav9"}) {
        const QPalette& q = Control(name)->palette();
        const bool box = name[0] == 'T';
        EXPECT_EQ(std::pair(q.color(group, box ? QPalette::Base : QPalette::Window),
                            q.color(group, box ? QPalette::Text : QPalette::WindowText)),
                  std::pair(shade, text))
            << name;
      }
    }
  }
}

// Formula rows and results offer the same menu, whose entries select and copy the whole text.
TEST_F(WindowTest, RowsAndResultsShareACopyMenu) {
  Run("2.5*2");
  auto* row = Control<HistoryBox>("TxtSav9");
  auto* result = Control<ResultLabel>("LblSav9");
  const auto menu = [&](bool of_row) {
    return std::unique_ptr<QMenu>(of_row ? row->CreateCopyMenu() : result->CreateCopyMenu());
  };
  const auto entries = [](const std::unique_ptr<QMenu>& m) {
    QStringList texts;
    for (QAction* a : m->actions()) texts << a->text();
    return texts;
  };
  EXPECT_EQ(entries(menu(false)), entries(menu(true)));
  EXPECT_EQ(entries(menu(true)).size(), 3);  // Copia, a separator, Seleziona tutto
  EXPECT_TRUE(entries(menu(true)).front().startsWith("&Copia\t"));
  for (const bool of_row : {true, false}) {
    QApplication::clipboard()->clear();
    EXPECT_FALSE(menu(of_row)->findChild<QAction*>("Copia")->isEnabled());  // nothing selected
    menu(of_row)->findChild<QAction*>("SelezionaTutto")->trigger();
    menu(of_row)->findChild<QAction*>("Copia")->trigger();
    EXPECT_EQ(QApplication::clipboard()->text(), of_row ? "2.5*2" : "5");
  }
}

// No control or menu entry a user can reach is nameless in the accessibility tree.
TEST_F(WindowTest, ScreenReadersFindEveryControlNamed) {
  ShowAndActivate();
  Run("2+3");
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
  for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>())
    walk(QAccessible::queryAccessibleInterface(menu));
}

// The command line names at most one calculation file, by its bytes in any encoding; --help
// and --version answer at once. start_arguments.tsv: arguments, kind, file, part of the text.
TEST(StartArguments, Table) {
  QCoreApplication::setApplicationName("Numerella");
  QCoreApplication::setApplicationVersion("9.8.7");
  const char* kinds[] = {"open", "help", "version", "error"};
  for (const table::Row& row : table::Read(NUMERELLA_START_ARGUMENTS)) {
    std::vector<std::string> arguments{"numerella"};
    for (QString a : QString::fromStdString(row[0]).split(' ', Qt::SkipEmptyParts))
      arguments.push_back(table::Unescape(a.toStdString()));
    const StartRequest r = ParseStartArguments(arguments);
    const std::string text = row.size() > 3 ? table::Unescape(row[3]) : "";
    EXPECT_EQ(std::tuple(std::string(kinds[static_cast<int>(r.kind)]), r.file, r.text.isEmpty()),
              std::tuple(row[1], table::Unescape(row[2]), text.empty()))
        << row[0];
    EXPECT_TRUE(r.text.contains(QString::fromUtf8(text)))
        << row[0] << " -> " << r.text.toStdString();
  }
}

}  // namespace
}  // namespace numerella
