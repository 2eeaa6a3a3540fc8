// SPDX-License-Identifier: GPL-3.0-or-later
// The user is told about every failed save or read, and nothing on the disk or the screen
// changes: File > Scrittura and the PDF fall-back of printing under disk-full and I/O errors
// injected at each step, saving onto and reading from files that are not regular.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "fifo_watchdog.h"
#include "main_window/frm_main.h"
#include "message_window/print_anywhere.h"
#include "message_window/window_picture.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Call = FailingFileCalls::Call;
const char kWriteFailed[] = "Errore di Specificazione del File|48|Lettura File";
const char kReadFailed[] = "File Inesistente|48|Lettura File";

QByteArray Contents(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}
void Put(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) >= 0);
}
QStringList Names(const QString& folder) {
  return QDir(folder).entryList(
      QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}
std::string LastBox(const ScriptedPlatformServices& p) {  // text|style|title
  const auto& b = p.boxes().back();
  return b.text + "|" + std::to_string(static_cast<int>(b.style)) + "|" + b.title;
}

// One fault of the disk in the middle of a save: the call, which of them, its errno.
using Fault = std::tuple<const char*, Call, int, int>;
const Fault kFaults[] = {{"disk full at the first write", Call::kWrite, 1, ENOSPC},
                         {"disk full at the third write", Call::kWrite, 3, ENOSPC},
                         {"size limit", Call::kWrite, 2, EFBIG},
                         {"I/O error on flush", Call::kSync, 1, EIO},
                         {"quota on close", Call::kClose, 1, EDQUOT},
                         {"rename refused", Call::kRename, 1, EXDEV}};

class FileFaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform_.file_calls().LimitWrites(16);  // a history of two rows takes several writes
    window_ = std::make_unique<FrmMain>(platform_);
    for (const char* formula : {"2+3", "SQR(2)"}) {
      window_->findChild<QPlainTextEdit*>(QStringLiteral("TxtExp"))->setPlainText(formula);
      window_->RunCalculation();
    }
  }
  QString PathOf(const char* name) { return folder_.filePath(QLatin1String(name)); }

  QTemporaryDir folder_;
  ScriptedPlatformServices platform_;
  std::unique_ptr<FrmMain> window_;
};

TEST_F(FileFaultsTest, ScritturaReportsEveryFaultAndKeepsTheOldFile) {
  const QString path = PathOf("storia.nmr");
  const QByteArray old = "\"vecchio\"\r\n\"1\"\r\n";
  Put(path, old);
  for (const auto& [name, call, nth, error] : kFaults) {
    platform_.file_calls().FailAt(call, nth, error);
    platform_.QueueFileAnswer(path);
    window_->WriteCalculationFileCommand();
    EXPECT_EQ(LastBox(platform_), kWriteFailed) << name;
    EXPECT_EQ(Contents(path), old) << name;
    EXPECT_EQ(Names(folder_.path()), QStringList{"storia.nmr"}) << name;
  }
  EXPECT_EQ(platform_.boxes().size(), std::size(kFaults));
  platform_.QueueFileAnswer(path);  // the disk works again: the whole history is saved
  window_->WriteCalculationFileCommand();
  EXPECT_EQ(platform_.boxes().size(), std::size(kFaults));
  EXPECT_EQ(Contents(path), WriteCalculationFile(window_->CurrentHistory()));
}

// A named socket (neither a regular file nor a FIFO).
bool MakeSocket(const QString& path) {
  const QByteArray name = QFile::encodeName(path);
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || static_cast<std::size_t>(name.size()) >= sizeof address.sun_path) return false;
  std::copy(name.begin(), name.end(), address.sun_path);
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

// Neither command uses a FIFO, socket, device or folder: Lettura says "File Inesistente" at
// once (a FIFO without a writer does not freeze the window), Scrittura says "Errore di
// Specificazione del File" and leaves the file as it was.
TEST_F(FileFaultsTest, OnlyRegularFilesAreReadOrWritten) {
  const QString fifo = PathOf("fifo"), socket = PathOf("socket"), sub = PathOf("cartella");
  ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
  ASSERT_TRUE(MakeSocket(socket));
  ASSERT_TRUE(QDir().mkdir(sub));
  ASSERT_TRUE(QFile::link(fifo, PathOf("link to fifo")));
  const History before = window_->CurrentHistory();
  const QString all[] = {fifo, PathOf("link to fifo"), socket, sub, "/dev/null", "/dev/zero"};
  FifoWatchdog watchdog(QFile::encodeName(fifo).toStdString());
  for (const QString& path : all) {
    platform_.QueueFileAnswer(path);
    window_->ReadCalculationFileCommand();
    EXPECT_EQ(LastBox(platform_), kReadFailed) << path.toStdString();
    EXPECT_EQ(std::pair(window_->CurrentHistory(),
                        window_->findChild<QAction*>("MnuFilScr")->isEnabled()),
              std::pair(before, true));
  }
  EXPECT_FALSE(watchdog.Stop()) << "reading the FIFO blocked";
  for (const QString& path : all) {
    if (path.startsWith("/dev/")) continue;  // never tried on the system's own devices
    platform_.QueueFileAnswer(path);
    window_->WriteCalculationFileCommand();
    EXPECT_EQ(LastBox(platform_), kWriteFailed) << path.toStdString();
  }
  EXPECT_EQ(platform_.boxes().size(), std::size(all) + 4);
  EXPECT_EQ(Names(folder_.path()), (QStringList{"cartella", "fifo", "link to fifo", "socket"}));
  struct stat st = {};
  EXPECT_TRUE(::stat(QFile::encodeName(fifo).constData(), &st) == 0 && S_ISFIFO(st.st_mode));
  EXPECT_TRUE(::stat(QFile::encodeName(socket).constData(), &st) == 0 && S_ISSOCK(st.st_mode));
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
  QTemporaryDir folder;
  const QString path = folder.filePath("scheda.pdf");
  const QByteArray old = "%PDF-1.4 vecchio";
  Put(path, old);
  ScriptedPlatformServices platform;
  platform.file_calls().LimitWrites(512);
  for (const auto& [name, call, nth, error] : kFaults) {
    platform.file_calls().FailAt(call, nth, error);
    platform.QueueFileAnswer(path);
    PrintOnPrinterOrPdf(platform, nullptr, BlockPicture());  // no printer: Yes, make a PDF
    EXPECT_EQ(LastBox(platform), std::string(kPdfFailedText) + "|48|" + kPrintTitle) << name;
    EXPECT_EQ(Contents(path), old) << name;
    EXPECT_EQ(Names(folder.path()), QStringList{"scheda.pdf"}) << name;
  }
  platform.QueueFileAnswer(path);
  PrintOnPrinterOrPdf(platform, nullptr, BlockPicture());
  EXPECT_EQ(Contents(path).left(5), "%PDF-");
  EXPECT_GT(Contents(path).size(), 512);  // so the faults above met a write in the middle
  EXPECT_EQ(platform.boxes().size(), 2 * std::size(kFaults) + 1);  // questions and failures
  for (const auto& d : platform.file_dialogs())
    EXPECT_EQ(std::tuple(d.save, d.folder, d.default_suffix),
              std::tuple(true, QDir::currentPath(), QStringLiteral("pdf")));
}

}  // namespace
}  // namespace numerella
