// SPDX-License-Identifier: GPL-3.0-or-later
// The typing help of the expression box, through real key events: the rows of typing_help.tsv.
#include <QAccessible>
#include <QFile>
#include <QListWidget>
#include <QTimer>

#include "window_fixture.h"

namespace numerella {
namespace {

QString Accessible(QObject* object, QAccessible::Text kind) {
  QAccessibleInterface* a = QAccessible::queryAccessibleInterface(object);
  return a != nullptr ? a->text(kind) : QString();
}

class TypingHelpTest : public WindowTest {
 protected:
  // {Long} puts "1+" and 4,100 blanks in, {Click:NAME} clicks the list row of function NAME.
  bool Special(const QString& name) override {
    if (name == "Long") TxtExp()->insertPlainText(QStringLiteral("1+") + QString(4100, ' '));
    if (!name.startsWith("Click:")) return name == "Long";
    const auto rows = List()->findItems(name.mid(6) + "(", Qt::MatchStartsWith);
    EXPECT_EQ(rows.size(), 1) << name.toStdString();
    if (rows.size() == 1)
      QTest::mouseClick(List()->viewport(), Qt::LeftButton, {},
                        List()->visualItemRect(rows[0]).center());
    return true;
  }
  QListWidget* List() { return Control<QListWidget>("ListaFunzioni"); }
  // The part of the text under the help's wavy line, "-" when there is none.
  QString Underlined() {
    for (const auto& s : TxtExp()->extraSelections()) {
      if (s.format.underlineStyle() == QTextCharFormat::WaveUnderline)
        return s.cursor.selectedText();
    }
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
    for (int i = 0; i < list->childCount(); ++i) {
      names << list->child(i)->text(QAccessible::Name).section('(', 0, 0);  // the row's name
    }
    return names.join(' ');
  }
  QString CurrentItem() {
    QAccessibleInterface* row =
        QAccessible::queryAccessibleInterface(List())->child(List()->currentRow());
    return row != nullptr ? row->text(QAccessible::Name) : "-";
  }
  QString Hint() {
    auto* hint = Control<QLabel>("SuggerimentoArgomenti");
    if (!hint->isVisible()) return "-";
    return hint->text().replace("<b>", "[").replace("</b>", "]");
  }
};

TEST_F(TypingHelpTest, TableOfTypedKeys) {
  ShowAndActivate();
  QFile file(QStringLiteral(NUMERELLA_TYPING_HELP_TABLE));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly | QIODevice::Text));
  auto* pause = Control<QTimer>("PausaDigitazione");
  const int pause_ms = pause->interval();
  const QString description = Accessible(TxtExp(), QAccessible::Description);
  int rows = 0;
  while (!file.atEnd()) {
    const QString line = QString::fromUtf8(file.readLine()).chopped(1);
    if (line.isEmpty() || line.startsWith('#')) continue;
    const QStringList c = line.split('\t');
    if (c.size() != 8) ADD_FAILURE() << line.toStdString();
    SCOPED_TRACE(line.toStdString());
    ++rows;
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
    EXPECT_EQ(found.join('\t').toStdString(), line.toStdString());
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
  EXPECT_GT(rows, 50);
}

}  // namespace
}  // namespace numerella
