// File > Lettura and File > Scrittura on the window: the dialogs, the written bytes, reading
// back, and every failure leaving the screen and the old file alone.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>

#include "window_fixture.h"

namespace numerella {
namespace {

using namespace std::string_literals;

class FileCommandsTest : public WindowTest {
 protected:
  QString PathOf(const char* name) { return folder_.filePath(QLatin1String(name)); }
  QByteArray Contents(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
  }
  void Put(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
  }
  void Write(const QString& path) {
    platform_.QueueFileAnswer(path);
    window().WriteCalculationFileCommand();
  }
  void Read(const QString& path) {
    platform_.QueueFileAnswer(path);
    window().ReadCalculationFileCommand();
  }
  // Everything the screen shows of the history and the latest result.
  struct Screen {
    History history;
    std::string expression, result;
    bool scrittura;
    friend bool operator==(const Screen&, const Screen&) = default;
  };
  Screen Shown() {
    return {window().CurrentHistory(), Expression(), Result(), MnuFilScr()->isEnabled()};
  }

  QTemporaryDir folder_;
};

TEST_F(FileCommandsTest, BothDialogsOfferTheTwoFiltersInTheProgramFolder) {
  window().ReadCalculationFileCommand();
  window().WriteCalculationFileCommand();
  ASSERT_EQ(platform_.file_dialogs().size(), 2u);
  for (const auto& dialog : platform_.file_dialogs()) {
    EXPECT_EQ(dialog.filters, (QStringList{"Tutti i File (*)", "File Numerella (*.nmr)"}));
    EXPECT_EQ(dialog.selected_filter, 1);
    EXPECT_EQ(dialog.folder, window().ProgramFolder());
  }
  EXPECT_FALSE(platform_.file_dialogs()[0].save);
  EXPECT_TRUE(platform_.file_dialogs()[1].save);
  EXPECT_EQ(window().ProgramFolder(), QDir::currentPath());
}

TEST_F(FileCommandsTest, WritesTheHistoryUnderExactlyTheChosenName) {
  Run("  2+3 ");
  Write(PathOf("calcolo"));  // no extension is added
  EXPECT_EQ(Contents(PathOf("calcolo")), WriteCalculationFile(window().CurrentHistory()));
  EXPECT_TRUE(Contents(PathOf("calcolo")).endsWith("\"2+3\"\r\n\"5\"\r\n"));
  EXPECT_FALSE(QFile::exists(PathOf("calcolo.nmr")));
  EXPECT_TRUE(platform_.boxes().empty());
}

TEST_F(FileCommandsTest, ReadingBackRestoresAllTenRows) {
  for (const char* f : {"1/3", "1E+39", " 7 ", "SUM(1, 2)", "-(1/4)", "123456789"}) Run(f);
  const History written = window().CurrentHistory();
  Write(PathOf("a.nmr"));

  window_ = std::make_unique<FrmMain>(platform_);
  Read(PathOf("a.nmr"));
  EXPECT_EQ(Shown(), (Screen{written, "123456789", "1.234568E+08", true}));
  EXPECT_EQ(written[5], (HistoryRow{"1E+39", "**************"}));
  EXPECT_EQ(written[0], (HistoryRow{" ", " "}));
}

TEST_F(FileCommandsTest, Latin1BytesSurviveReadAndWrite) {
  History h = UnusedHistory();
  h[3] = {"\xe8\xe9\xf2\xb0", "\xa3\xff"};
  h[9] = {"caff\xe8", "\x80\x9f"};
  const QByteArray bytes = WriteCalculationFile(h);
  Put(PathOf("latin1.nmr"), bytes);
  Read(PathOf("latin1.nmr"));
  EXPECT_EQ(window().CurrentHistory(), h);
  EXPECT_EQ(Expression(), "caff\xe8");
  Write(PathOf("again.nmr"));
  EXPECT_EQ(Contents(PathOf("again.nmr")), bytes);
}

// A short file sets the screen from its fields and enables Scrittura without any calculation;
// any bytes at all read without harm.
TEST_F(FileCommandsTest, ShortAndBinaryFilesFillTheRestWithEmptyTexts) {
  Put(PathOf("short.nmr"), "\"1+1\"\r\n\"2\"\r\n3");
  Read(PathOf("short.nmr"));
  History expected;
  expected[0] = {"1+1", "2"};
  expected[1].formula = "3";
  EXPECT_EQ(Shown(), (Screen{expected, "", "", true}));
  QByteArray binary;
  for (int i = 0; i < 3000; ++i) binary += static_cast<char>((i * 97) & 0xff);
  Put(PathOf("binary"), binary);
  Read(PathOf("binary"));
  EXPECT_TRUE(platform_.boxes().empty());
}

TEST_F(FileCommandsTest, HugeFileIsReadQuicklyAndBounded) {
  {
    QFile huge(PathOf("huge.nmr"));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(qint64(1) << 30));  // 1 GB of zero bytes, sparse on disk
  }
  QElapsedTimer timer;
  timer.start();
  Read(PathOf("huge.nmr"));
  EXPECT_LT(timer.elapsed(), 5000);
  EXPECT_LE(window().CurrentHistory()[0].formula.size(), kMaxFieldBytes);
  EXPECT_EQ(window().CurrentHistory()[9], (HistoryRow{"", ""}));
  EXPECT_TRUE(platform_.boxes().empty());
}

// Read failures: the screen stays exactly as it was.
TEST_F(FileCommandsTest, FailedReadShowsFileInesistente) {
  Run("2+3");
  const Screen before = Shown();
  const std::optional<QString> answers[] = {std::nullopt, QString(), PathOf("missing.nmr"),
                                            folder_.path() + "/no/such/dir/x.nmr"};
  for (const auto& answer : answers) {
    SCOPED_TRACE(answer ? answer->toStdString() : "<cancel>"s);
    platform_.QueueFileAnswer(answer);
    window().ReadCalculationFileCommand();
    ASSERT_FALSE(platform_.boxes().empty());
    const auto& box = platform_.boxes().back();
    EXPECT_EQ(box.text, "File Inesistente");
    EXPECT_EQ(box.style, kBoxOkExclamation);
    EXPECT_EQ(box.title, "Lettura File");
    EXPECT_EQ(Shown(), before);
  }
  Put(PathOf("present.nmr"), "\"9\"");
  platform_.FailNextReads(1);
  Read(PathOf("present.nmr"));
  EXPECT_EQ(platform_.boxes().back().text, "File Inesistente");
  EXPECT_EQ(Shown(), before);
}

TEST_F(FileCommandsTest, FailedWriteShowsTheMessageAndKeepsTheOldFile) {
  Run("2+3");
  const QString path = PathOf("old.nmr");
  Put(path, "\"old content\"\r\n");
  const Screen before = Shown();

  platform_.QueueFileAnswer(std::nullopt);  // Cancel
  window().WriteCalculationFileCommand();
  platform_.QueueFileAnswer(QString());  // an empty name
  window().WriteCalculationFileCommand();
  platform_.FailNextSaves(1);  // the disk refuses the new content
  Write(path);
  Write(folder_.path());  // a folder cannot be replaced by a file

  ASSERT_EQ(platform_.boxes().size(), 4u);
  for (const auto& box : platform_.boxes()) {
    EXPECT_EQ(box.text, "Errore di Specificazione del File");
    EXPECT_EQ(box.style, kBoxOkExclamation);
    EXPECT_EQ(box.title, "Lettura File");
  }
  EXPECT_EQ(Contents(path), "\"old content\"\r\n");
  EXPECT_EQ(Shown(), before);
  Write(path);  // and once the disk works again, the file is replaced whole
  EXPECT_EQ(Contents(path), WriteCalculationFile(before.history));
}

}  // namespace
}  // namespace numerella
