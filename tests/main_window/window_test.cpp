// SPDX-License-Identifier: GPL-3.0-or-later
// The main window over scripted platform services: the scripts of window_script.tsv (keys,
// commands and files, then what the user finds), the typing help of typing_help.tsv, and what
// no script shows: geometry, fonts, the start arguments, the PDF fall-back of printing.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <functional>
#include <memory>

#include "colours.h"
#include "fifo_watchdog.h"
#include "main_window/command_line.h"
#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "message_window/frm_msg.h"
#include "message_window/print_anywhere.h"
#include "message_window/window_picture.h"
#include "platform/latin1.h"
#include "platform/scripted_platform_services.h"
#include "table.h"

namespace numerella {
namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
std::string N(bool b) { return std::to_string(b); }
QString Accessible(QObject* object, QAccessible::Text kind) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
  return a != nullptr ? a->text(kind) : QStringLiteral("<none>");
}
bool Marked(QWidget* w) {  // some pixel in the window's highlight
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
// A named socket (neither a regular file nor a FIFO).
bool MakeSocket(const std::string& name) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || name.size() >= sizeof address.sun_path) return false;
  std::copy(name.begin(), name.end(), address.sun_path);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}
QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
template <typename T>
std::string Joined(const T& items, const std::function<std::string(decltype(*items.begin()))>& f,
                   std::size_t from = 0) {
  std::string all;
  for (auto i = items.begin() + from; i < items.end(); ++i) all += f(*i) + "|";
  return all;
}

class WindowTest : public ::testing::Test {
 protected:
  void SetUp() override { window_ = std::make_unique<FrmMain>(platform_); }
  void ShowAndActivate() {
    window_->show();
    window_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
  }
  template <typename T = QWidget>
  T* Control(const QString& name) {
    T* control = window_->findChild<T*>(name);
    if (control == nullptr) ADD_FAILURE() << "no control " << name.toStdString();
    return control;
  }
  QPlainTextEdit* TxtExp() { return Control<QPlainTextEdit>("TxtExp"); }
  QLabel* LblVal() { return Control<QLabel>("LblVal"); }
  std::string Expression() { return Control<ExpressionBox>("TxtExp")->Formula(); }
  std::string Result() { return ToBytes(LblVal()->text()); }
  QWidget* Focus() { return QApplication::focusWidget(); }
  QString PathOf(const std::string& name) { return folder_.filePath(FromBytes(name)); }
  std::string Raw(const std::string& name) {  // a file name's bytes, in the test's folder
    return QFile::encodeName(folder_.path()).toStdString() + "/" + table::Unescape(name);
  }
  void Mark() {
    std::tie(boxes_, modals_, dialogs_) = std::tuple(
        platform_.boxes().size(), platform_.modals().size(), platform_.file_dialogs().size());
  }
  // Types into the focus widget: characters, and {KEYS} for keys by their portable names
  // ({Ctrl+A}, {Shift+Left}), "*3" three times; {Long} puts "1+" and 4,100 blanks in,
  // {Click:NAME} clicks the typing help's row of function NAME.
  void Type(const QString& keys) {
    for (qsizetype at = 0; at < keys.size();) {
      const qsizetype close = keys.indexOf('}', at);
      ASSERT_NE(Focus(), nullptr) << "no widget has the focus";
      if (keys[at] != '{' || close < 0) {
        QTest::keyClicks(Focus(), keys.mid(at++, 1));
        continue;
      }
      QStringList name = keys.mid(at + 1, close - at - 1).split('*');
      at = close + 1;
      if (name[0] == "Long") TxtExp()->insertPlainText(QStringLiteral("1+") + QString(4100, ' '));
      if (name[0].startsWith("Click:")) {
        const auto rows = List()->findItems(name[0].mid(6) + "(", Qt::MatchStartsWith);
        ASSERT_EQ(rows.size(), 1) << name[0].toStdString();
        QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                          List()->visualItemRect(rows[0]).center());
      }
      if (name[0] == "Long" || name[0].startsWith("Click:")) continue;
      const QKeyCombination key = QKeySequence(name[0])[0];
      ASSERT_NE(key.key(), Qt::Key_unknown) << name[0].toStdString();
      for (int n = name.size() > 1 ? name[1].toInt() : 1; n > 0; --n)
        QTest::keyClick(Focus(), key.key(), key.keyboardModifiers());
    }
  }
  // A step of a script that does something; false for a check.
  bool Act(const std::string& v, const std::string& a, const std::string& e) {
    if (v == "new" || v == "hidden") window_ = std::make_unique<FrmMain>(platform_), Mark();
    if (v == "new" || v == "show") ShowAndActivate();
    if (v == "mark") Mark();
    if (v == "wait") QTest::qWait(std::stoi(a));
    if (v == "keys") Type(Q(a));
    if (v == "set") TxtExp()->setPlainText(FromBytes(table::Unescape(a)));
    if (v == "set") TxtExp()->moveCursor(QTextCursor::End);
    if (v == "run") window_->RunCalculation();
    if (v == "read") window_->ReadCalculationFileCommand();
    if (v == "write") window_->WriteCalculationFileCommand();
    if (v == "focus") Control(Q(a))->setFocus();
    if (v == "click") QTest::mouseClick(Control(Q(a)), Qt::LeftButton);
    if (v == "dclick") QTest::mouseDClick(Control(Q(a)), Qt::LeftButton);
    if (v == "dclicktext") {
      auto* label = Control<QLabel>(Q(a));
      label->setSelection(0, 0);
      QTest::mouseDClick(label, Qt::LeftButton, {}, MiddleOfText(label));
    }
    if (v == "modal" && a.size() == 1) platform_.QueueModal(std::stoi(a));
    if (v == "modal" && a.size() > 1)  // a key pressed in the message window
      platform_.QueueModal(ScriptedPlatformServices::ModalAction([a](QDialog& d) {
        QTest::keyClick(d.focusWidget() != nullptr ? d.focusWidget() : &d,
                        a == "Esc" ? Qt::Key_Escape : Qt::Key_Return);
      }));
    if (v == "answer" && a == "-") platform_.QueueFileAnswer(std::nullopt);
    if (v == "answer" && a != "-")
      platform_.QueueFileAnswer(a.empty() ? QString() : PathOf(a),
                                e.empty() ? std::nullopt : std::optional(std::stoi(e)));
    if (v == "failread") platform_.FailNextReads(1);
    if (v == "failsave") platform_.FailNextSaves(1);
    if (v == "put") std::ofstream(Raw(a), std::ios::binary) << table::Unescape(e);
    if (v == "grow" && !QFile::resize(PathOf(a), std::stoll(e))) ADD_FAILURE() << "no room";
    if (v == "start") window_->ReadCalculationFileOnceShown(Raw(a)), QApplication::processEvents();
    if (v == "readat") window_->ReadCalculationFileAt(Raw(a));
    if (v == "listing") Control<QAction>("MnuSerLis")->trigger();
    if (v == "paste") QApplication::clipboard()->setText(FromBytes(table::Unescape(a)));
    if (v == "paste") TxtExp()->paste();
    if (v == "snap") snap_ = LblVal()->grab().toImage();
    if (v == "palette") QApplication::setPalette(a == "dark" ? Dark() : original_);
    if (v == "menu") CopyMenu(a)->findChild<QAction*>(Q(e))->trigger();
    if (v == "clear limit fault mkdir fifo socket link watch") QApplication::clipboard()->clear();
    if (v == "limit") platform_.file_calls().LimitWrites(std::stoi(a));
    if (v == "fault") {  // the call, which of them; the error
      const QStringList call = Q(a).split(' ');
      const std::map<std::string, int> errors{
          {"ENOSPC", ENOSPC}, {"EFBIG", EFBIG}, {"EIO", EIO}, {"EDQUOT", EDQUOT}, {"EXDEV", EXDEV}};
      platform_.file_calls().FailAt(
          FailingFileCalls::Call(QString("write sync close rename").split(' ').indexOf(call[0])),
          call[1].toInt(), errors.at(e));
    }
    if (v == "mkdir" && !QDir().mkdir(PathOf(a))) ADD_FAILURE() << "no folder";
    if (v == "fifo" && ::mkfifo(Raw(a).c_str(), 0644) != 0) ADD_FAILURE() << "no FIFO";
    if (v == "socket" && !MakeSocket(Raw(a))) ADD_FAILURE() << "no socket";
    if (v == "link" && !QFile::link(PathOf(a), PathOf(e))) ADD_FAILURE() << "no link";
    if (v == "watch") watchdog_ = std::make_unique<FifoWatchdog>(Raw(a));
    return QString(
               "new hidden show mark wait keys set run read write focus click dclick dclicktext "
               "modal "
               "answer failread failsave put grow start readat listing paste snap palette menu "
               "clear "
               "limit fault mkdir fifo socket link watch")
        .split(' ')
        .contains(Q(v));
  }
  // What a check finds.
  std::string Probe(const std::string& v, const std::string& a) {
    QApplication::processEvents();  // what was posted has arrived
    const QTextCursor c = TxtExp()->textCursor();
    const QColor paper = LblVal()->palette().color(QPalette::Window);
    if (v == "exp") return Expression();
    if (v == "len") return std::to_string(Expression().size());
    if (v == "val") return Result();
    if (v == "row")
      return ToBytes(Control<QLineEdit>(Q("TxtSav" + a))->text()) + "=" +
             ToBytes(Control<QLabel>(Q("LblSav" + a))->text()) + "|" +
             window_->CurrentHistory()[std::stoi(a)].formula;
    if (v == "formulas")
      return Joined(window_->CurrentHistory(), [](const HistoryRow& r) { return r.formula; });
    if (v == "scr") return N(Control<QAction>("MnuFilScr")->isEnabled());
    if (v == "focused") return Focus() ? Focus()->objectName().toStdString() : "-";
    if (v == "active") return N(QTest::qWaitForWindowActive(window_.get(), 1000));
    if (v == "gone") return N(QTest::qWaitFor([&] { return !window_->isVisible(); }, 1000));
    if (v == "box")
      return platform_.boxes().back().text + "|" +
             std::to_string(static_cast<int>(platform_.boxes().back().style)) + "|" +
             platform_.boxes().back().title;
    if (v == "boxes") {
      const auto title = [](auto& b) { return b.title; };
      return Joined(platform_.boxes(), title, boxes_);
    }
    if (v == "modals") return std::to_string(platform_.modals().size() - modals_);
    if (v == "title") return platform_.modals().back().title.toStdString();
    if (v == "buttons") {  // the message window's, as shown
      std::string shown;
      for (QPushButton* b : FrmMsg::Instance().findChildren<QPushButton*>())
        if (b->isVisibleTo(b->window())) shown += b->text().toStdString() + "|";
      return shown;
    }
    if (v == "blocked") return N(watchdog_->Stop());
    if (v == "names") {
      const QDir::Filters all =
          QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot;
      return QDir(PathOf(a)).entryList(all, QDir::Name).join('|').toStdString();
    }
    if (v == "kind") {
      struct stat st = {};
      return ::lstat(Raw(a).c_str(), &st) != 0 ? "-"
             : S_ISFIFO(st.st_mode)            ? "fifo"
             : S_ISSOCK(st.st_mode)            ? "socket"
                                               : "other";
    }
    if (v == "nameless") {  // controls and menu entries a user can reach without a name
      std::string nameless;
      std::function<void(QAccessibleInterface*)> walk = [&](QAccessibleInterface* node) {
        const QAccessible::Role r = node->role();
        const bool control = r == QAccessible::EditableText || r == QAccessible::StaticText ||
                             r == QAccessible::Button || r == QAccessible::MenuItem ||
                             r == QAccessible::PopupMenu || r == QAccessible::MenuBar;
        const QString name = node->text(QAccessible::Name);
        if (control && name.trimmed().isEmpty() &&
            !(r == QAccessible::MenuItem && name.isEmpty() && node->state().invisible))
          nameless += node->object()->objectName().toStdString() + "|";
        for (int i = 0; i < node->childCount(); ++i) walk(node->child(i));
      };
      walk(QAccessible::queryAccessibleInterface(window_.get()));
      for (QMenu* menu : window_->menuBar()->findChildren<QMenu*>())
        walk(QAccessible::queryAccessibleInterface(menu));
      return nameless;
    }
    if (v == "clip") return QApplication::clipboard()->text().toStdString();
    if (v == "entries")  // of its copy menu, "-" before a disabled one
      return Joined(CopyMenu(a)->actions(), [](QAction* x) {
        return (x->isEnabled() ? "" : "-") + x->text().toStdString();
      });
    if (v == "follows") {  // rows shaded in the 3D light, written in the window text
      const QPalette& p = Control(Q(a))->palette();
      const QPalette& app = QApplication::palette();
      const bool box = a[0] == 'T';
      bool same = true;
      for (const auto g : {QPalette::Active, QPalette::Inactive})
        same &= p.color(g, box ? QPalette::Base : QPalette::Window) ==
                    app.color(g, QPalette::Midlight) &&
                p.color(g, box ? QPalette::Text : QPalette::WindowText) ==
                    app.color(g, QPalette::WindowText);
      return N(same);
    }
    if (v == "cursor")
      return std::to_string(c.selectionStart()) + " " + std::to_string(c.selectionEnd()) + " " +
             std::to_string(c.position());
    if (v == "atend") return N(c.atEnd());
    if (v == "file") return Contents(PathOf(a)).toStdString();
    if (v == "exists") return N(QFile::exists(PathOf(a)));
    if (v == "dimmed")
      return N(InkContrast(LblVal()->grab().toImage(), paper) < InkContrast(snap_, paper)) + " " +
             LblVal()->accessibleDescription().toStdString();
    if (v == "compiled") return window_->calculator().CompileListing();
    if (v == "dialogs")
      return Joined(
          platform_.file_dialogs(),
          [](auto& d) {
            return (d.save ? "save " : "open ") + d.filters.join(';').toStdString() + " " +
                   std::to_string(d.selected_filter) +
                   (d.folder == QDir::currentPath() ? " here" : " elsewhere");
          },
          dialogs_);
    if (v == "marked") return N(Marked(Control(Q(a))));
    if (v == "name") return Accessible(Control<QObject>(Q(a)), QAccessible::Name).toStdString();
    if (v == "selected" && qobject_cast<QLabel*>(Control(Q(a))))
      return Control<QLabel>(Q(a))->selectedText().toStdString();
    if (v == "selected") return Control<QLineEdit>(Q(a))->selectedText().toStdString();
    if (v == "tabs") {  // the controls Tab reaches one after the other
      std::string order;
      for (int i = std::stoi(a); i > 0; --i)
        order += (Type("{Tab}"), Focus()->objectName().toStdString() + "|");
      return order;
    }
    ADD_FAILURE() << "unknown step";
    return {};
  }
  QListWidget* List() { return Control<QListWidget>("ListaFunzioni"); }
  // The part of the text under the help's wavy line, "-" when there is none.
  QString Underlined() {
    for (const auto& s : TxtExp()->extraSelections())
      if (s.format.underlineStyle() == QTextCharFormat::WaveUnderline)
        return s.cursor.selectedText();
    return "-";
  }
  QString Preview() {
    auto* label = Control<QLabel>("Anteprima");
    return label->isVisible() ? label->text() : "-";
  }
  QString Offered() {
    if (!List()->isVisible()) return "-";
    QStringList names;
    // Offscreen there is no accessibility bridge to tell the list's accessible interface of
    // its new rows, as a screen reader's would: a fresh one reads them.
    QAccessible::deleteAccessibleInterface(
        QAccessible::uniqueId(QAccessible::queryAccessibleInterface(List())));
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(List());
    for (int i = 0; i < list->childCount(); ++i)  // the rows' names
      names << list->child(i)->text(QAccessible::Name).section('(', 0, 0);
    return names.join(' ');
  }
  QString CurrentItem() {
    QAccessibleInterface* row =
        QAccessible::queryAccessibleInterface(List())->child(List()->currentRow());
    return row != nullptr ? row->text(QAccessible::Name) : "-";
  }
  QString Hint() {  // the current argument in brackets
    auto* hint = Control<QLabel>("SuggerimentoArgomenti");
    return hint->isVisible() ? hint->text().replace("<b>", "[").replace("</b>", "]") : "-";
  }

  QTemporaryDir folder_;
  ScriptedPlatformServices platform_;
  std::unique_ptr<FrmMain> window_;
  std::unique_ptr<FifoWatchdog> watchdog_;  // of a FIFO the test must not block on
  QImage snap_;                             // LblVal as it was
  const QPalette original_ = QApplication::palette();
  static QPalette Dark() {
    QPalette dark(QColor(0x30, 0x30, 0x30), QColor(0x20, 0x20, 0x20));
    dark.setColor(QPalette::Midlight, QColor(0x45, 0x45, 0x50));
    dark.setColor(QPalette::WindowText, QColor(0xee, 0xee, 0xe0));
    dark.setColor(QPalette::Inactive, QPalette::WindowText, QColor(0xdd, 0xdd, 0xd0));
    return dark;
  }
  std::unique_ptr<QMenu> CopyMenu(const std::string& name) {  // of a history row or result
    if (name[0] == 'T')
      return std::unique_ptr<QMenu>(Control<HistoryBox>(Q(name))->CreateCopyMenu());
    return std::unique_ptr<QMenu>(Control<ResultLabel>(Q(name))->CreateCopyMenu());
  }
  std::size_t boxes_ = 0, modals_ = 0, dialogs_ = 0;  // shown before the mark
};

TEST_F(WindowTest, Scripts) {
  const std::vector<table::Row> rows = table::Read(NUMERELLA_WINDOW_SCRIPT);
  ASSERT_GT(rows.size(), 100u);
  int line = 0;
  for (table::Row row : rows) {
    row.resize(3);
    SCOPED_TRACE(std::to_string(++line) + ": " + row[0] + " " + row[1].substr(0, 60));
    if (!Act(row[0], row[1], row[2])) {
      EXPECT_EQ(Probe(row[0], row[1]), table::Unescape(row[2]));
    }
  }
}

// The typing help through real key events: the rows of typing_help.tsv.
TEST_F(WindowTest, TypingHelp) {
  ShowAndActivate();
  auto* pause = Control<QTimer>("PausaDigitazione");
  const int pause_ms = pause->interval();
  const QString description = Accessible(TxtExp(), QAccessible::Description);
  const std::vector<table::Row> rows = table::Read(NUMERELLA_TYPING_HELP_TABLE);
  ASSERT_GT(rows.size(), 50u);
  for (const table::Row& row : rows) {
    QStringList c;
    for (const std::string& field : row) c << QString::fromUtf8(field);
    SCOPED_TRACE(c.join('\t').toStdString());
    ASSERT_EQ(c.size(), 8);
    TxtExp()->clear();
    TxtExp()->setFocus();
    Type(c[0]);
    const QString preview = c[2] == "-" ? "-" : "= " + c[2];
    const bool deferred = TxtExp()->toPlainText().size() > 4096;
    EXPECT_EQ((Preview() + " " + Underlined()).toStdString(),
              ((deferred ? "-" : preview) + " -").toStdString())
        << "before the pause";
    pause->setInterval(1);  // the pause elapses now
    ASSERT_TRUE(QTest::qWaitFor([pause] { return !pause->isActive(); }));
    pause->setInterval(pause_ms);
    // The row as found, with the columns not to be checked as the table has them.
    const QString preview_shown = Preview();
    const QStringList found = {c[0],
                               c[1] == "*" ? c[1] : TxtExp()->toPlainText(),
                               preview_shown == "-" ? "-" : preview_shown.mid(2),
                               Underlined(),
                               Offered(),
                               c[5] == "-" ? c[5] : CurrentItem(),
                               Hint(),
                               c[7] == "-" ? c[7] : FromBytes(Result())};
    EXPECT_EQ(found.join('\t').toStdString(), c.join('\t').toStdString());
    EXPECT_EQ(preview_shown.toStdString(), preview.toStdString());
    // Screen readers find the preview, or the error, in the box's description.
    const QString note = c[2] != "-"   ? "Anteprima: " + c[2] + ". "
                         : c[3] != "-" ? "Errore in: " + c[3] + ". "
                                       : QString();
    EXPECT_EQ(Accessible(TxtExp(), QAccessible::Description).toStdString(),
              (note + description).toStdString());
    // Nothing reaches the user as a message but through CALCOLO or Enter.
    EXPECT_TRUE(platform_.boxes().empty() && platform_.modals().empty());
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

struct BlockPicture : WindowPicture {  // a black rectangle, two inches by one
  QSizeF PictureSizeTwips() const override { return {2880, 1440}; }
  void PaintPicture(QPainter& p, double ppt) const override {
    p.fillRect(QRectF(0, 0, 2880 * ppt, 1440 * ppt), Qt::black);
  }
};

// Without a printer the card is offered as a PDF, from the program's folder with ".pdf" added
// to a bare name. A fault of the disk gives the PDF message and keeps the old PDF.
TEST(PdfFallBack, ReportsEveryFaultAndKeepsTheOldFile) {
  const std::tuple<const char*, FailingFileCalls::Call, int, int> faults[] = {
      // what, the call, which of them, its errno
      {"disk full at the first write", FailingFileCalls::kWrite, 1, ENOSPC},
      {"disk full at the third write", FailingFileCalls::kWrite, 3, ENOSPC},
      {"size limit", FailingFileCalls::kWrite, 2, EFBIG},
      {"I/O error on flush", FailingFileCalls::kSync, 1, EIO},
      {"quota on close", FailingFileCalls::kClose, 1, EDQUOT},
      {"rename refused", FailingFileCalls::kRename, 1, EXDEV}};
  QTemporaryDir folder;
  const QString path = folder.filePath("scheda.pdf");
  const QByteArray old = "%PDF-1.4 vecchio";
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(old) == old.size());
  file.close();
  ScriptedPlatformServices platform;
  platform.file_calls().LimitWrites(512);
  for (const auto& [name, call, nth, error] : faults) {
    platform.file_calls().FailAt(call, nth, error);
    platform.QueueFileAnswer(path);
    PrintOnPrinterOrPdf(platform, nullptr, BlockPicture());  // no printer: Yes, make a PDF
    const auto& box = platform.boxes().back();
    EXPECT_EQ(std::tuple(box.text, box.style, box.title),
              std::tuple(kPdfFailedText, BoxStyle::kOkExclamation, kPrintTitle))
        << name;
    EXPECT_EQ(Contents(path), old) << name;
    EXPECT_EQ(QDir(folder.path())
                  .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot),
              QStringList{"scheda.pdf"})
        << name;
  }
  platform.QueueFileAnswer(path);
  PrintOnPrinterOrPdf(platform, nullptr, BlockPicture());
  EXPECT_EQ(Contents(path).left(5), "%PDF-");
  EXPECT_GT(Contents(path).size(), 512);  // so the faults above met a write in the middle
  EXPECT_EQ(platform.boxes().size(), 2 * std::size(faults) + 1);  // questions and failures
  for (const auto& d : platform.file_dialogs())
    EXPECT_EQ(std::tuple(d.save, d.folder, d.default_suffix),
              std::tuple(true, QDir::currentPath(), QStringLiteral("pdf")));
}

}  // namespace
}  // namespace numerella
