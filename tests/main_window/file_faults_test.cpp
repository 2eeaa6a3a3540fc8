// SPDX-License-Identifier: GPL-3.0-or-later
// The user is told about every failed save or read, and nothing on the disk or the screen
// changes: File > Scrittura and the PDF fall-back of printing under disk-full and I/O errors
// injected at each step, saving onto and reading from files that are not regular.
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QAction>
#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "main_window/frm_main.h"
#include "message_window/print_anywhere.h"
#include "message_window/window_picture.h"
#include "platform/scripted_platform_services.h"

namespace numerella {
namespace {

using Box = std::tuple<std::string, BoxStyle, std::string>;  // text, style, title
using Call = FailingFileCalls::Call;
const Box kWriteFailed{"Errore di Specificazione del File", BoxStyle::kOkExclamation,
                       "Lettura File"};
const Box kReadFailed{"File Inesistente", BoxStyle::kOkExclamation, "Lettura File"};

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
Box LastBox(const ScriptedPlatformServices& p) {
  return p.boxes().empty()
             ? Box{}
             : Box{p.boxes().back().text, p.boxes().back().style, p.boxes().back().title};
}

// One fault of the disk in the middle of a save: the call, which of them, its errno.
struct Fault {
  const char* name;
  Call call;
  int nth;
  int error;
};
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
  bool Scrittura() {
    return window_->findChild<QAction*>(QStringLiteral("MnuFilScr"))->isEnabled();
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
  for (const Fault& f : kFaults) {
    platform_.file_calls().FailAt(f.call, f.nth, f.error);
    platform_.QueueFileAnswer(path);
    window_->WriteCalculationFileCommand();
    EXPECT_EQ(LastBox(platform_), kWriteFailed) << f.name;
    EXPECT_EQ(Contents(path), old) << f.name;
    EXPECT_EQ(Names(folder_.path()), QStringList{"storia.nmr"}) << f.name;
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
  ::alarm(10);  // a read that blocks on the FIFO ends the test by SIGALRM instead of hanging
  for (const QString& path : all) {
    platform_.QueueFileAnswer(path);
    window_->ReadCalculationFileCommand();
    EXPECT_EQ(LastBox(platform_), kReadFailed) << path.toStdString();
    EXPECT_EQ(std::pair(window_->CurrentHistory(), Scrittura()), std::pair(before, true));
  }
  ::alarm(0);
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
  for (const Fault& f : kFaults) {
    platform.file_calls().FailAt(f.call, f.nth, f.error);
    platform.QueueFileAnswer(path);
    PrintOnPrinterOrPdf(platform, nullptr, BlockPicture());  // no printer: Yes, make a PDF
    EXPECT_EQ(LastBox(platform), (Box{kPdfFailedText, BoxStyle::kOkExclamation, kPrintTitle}))
        << f.name;
    EXPECT_EQ(Contents(path), old) << f.name;
    EXPECT_EQ(Names(folder.path()), QStringList{"scheda.pdf"}) << f.name;
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
