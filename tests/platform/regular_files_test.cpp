// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and saving regular files: injected write, flush, close and rename failures, a file
// size limit, a really full file system, files that are not regular, links, permissions.
// Every failed save must leave the old file byte for byte and no temporary file behind.
#include "platform/regular_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "fifo_watchdog.h"
#include "platform/failing_file_calls.h"
#include "platform/qt_platform_services.h"

namespace numerella {
namespace {

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return "<missing>";
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}
void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
// The names in a folder, sorted: a failed save may leave no temporary file.
std::vector<std::string> Names(const QString& folder) {
  std::vector<std::string> names;
  for (const QString& n : QDir(folder).entryList(
           QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name))
    names.push_back(n.toStdString());
  return names;
}
mode_t ModeOf(const std::string& path, bool follow = true) {
  struct stat st = {};
  return (follow ? ::stat(path.c_str(), &st) : ::lstat(path.c_str(), &st)) == 0 ? st.st_mode : 0;
}
std::string Step(const SaveOutcome& o) {
  return std::to_string(static_cast<int>(o.step)) + "/" + std::to_string(o.error);
}

const std::string kOld = "\"vecchio\"\r\n\"1\"\r\n";  // what the file held before each save
const std::string kNew = std::string(100000, 'n');    // big enough for many cut writes

// The nth write, the flush, the close or the rename fails: the save reports where, the old
// file is unchanged and nothing else is left in the folder. Then the same save succeeds.
TEST(SaveRegularFile, EveryStepCheckedOldFileKeptAndNothingLeftBehind) {
  using C = FailingFileCalls;
  const std::tuple<const char*, C::Call, int, int, std::size_t, SaveStep> cases[] = {
      {"first write, disk full", C::kWrite, 1, ENOSPC, 0, SaveStep::kWrite},
      {"fifth of many short writes", C::kWrite, 5, ENOSPC, 4096, SaveStep::kWrite},
      {"write past the size limit", C::kWrite, 2, EFBIG, 65536, SaveStep::kWrite},
      {"write I/O error", C::kWrite, 1, EIO, 0, SaveStep::kWrite},
      {"flush finds the disk full", C::kSync, 1, ENOSPC, 0, SaveStep::kSync},
      {"flush I/O error", C::kSync, 1, EIO, 0, SaveStep::kSync},
      {"close over quota", C::kClose, 1, EDQUOT, 0, SaveStep::kClose},
      {"rename refused", C::kRename, 1, EACCES, 0, SaveStep::kRename}};
  for (const bool existing : {true, false}) {
    for (const auto& [name, call, nth, error, cut, step] : cases) {
      if (!existing && call == C::kRename) continue;  // a new name is written where it is
      QTemporaryDir dir;
      const std::string path = dir.filePath(QStringLiteral("storia.nmr")).toStdString();
      if (existing) Put(path, kOld);
      C calls;
      calls.LimitWrites(cut);
      calls.FailAt(call, nth, error);
      const SaveOutcome failed = SaveRegularFile(path, kNew, calls);
      EXPECT_EQ(Step(failed), Step({step, error})) << name;
      EXPECT_EQ(Contents(path), existing ? kOld : "<missing>") << name;
      EXPECT_EQ(Names(dir.path()),
                existing ? std::vector<std::string>{"storia.nmr"} : std::vector<std::string>{})
          << name;
      EXPECT_EQ(calls.count(call), nth) << name;
      EXPECT_TRUE(SaveRegularFile(path, kNew, calls)) << name;  // the fault was one-off
      EXPECT_EQ(Contents(path), kNew) << name;
    }
  }
}

// The writes go to /dev/full, where the kernel itself answers ENOSPC.
TEST(SaveRegularFile, WritesThatMeetTheFullDevice) {
  struct ToDevFull : FileCalls {
    ssize_t Write(int, const char* data, std::size_t size) override {
      const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
      const ssize_t written = full < 0 ? 0 : ::write(full, data, size);
      const int error = errno;
      if (full >= 0) ::close(full);
      errno = error;
      return written;
    }
  } calls;
  if (::access("/dev/full", W_OK) != 0) GTEST_SKIP() << "no writable /dev/full here";
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("storia.nmr")).toStdString();
  Put(path, kOld);
  EXPECT_EQ(Step(SaveRegularFile(path, kNew, calls)), Step({SaveStep::kWrite, ENOSPC}));
  EXPECT_EQ(Contents(path), kOld);
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"storia.nmr"});
}

// The Qt services report the same failures as false; content and new names are as given.
TEST(SaveRegularFile, DesktopServicesReportInjectedFailures) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("senza estensione"));
  FailingFileCalls calls;
  QtPlatformServices real(calls);
  ASSERT_TRUE(real.SaveAtomically(path, "prima\r\n"));
  for (const auto call : {FailingFileCalls::kWrite, FailingFileCalls::kSync,
                          FailingFileCalls::kClose, FailingFileCalls::kRename}) {
    calls.FailAt(call, 1, ENOSPC);
    EXPECT_FALSE(real.SaveAtomically(path, "seconda\r\n")) << call;
  }
  EXPECT_EQ(Contents(path.toStdString()), "prima\r\n");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"senza estensione"});
  EXPECT_FALSE(real.SaveAtomically(dir.filePath(QStringLiteral("manca/x.nmr")), "x"));
  EXPECT_FALSE(real.SaveAtomically(QString(), "x"));
}

// Writes past RLIMIT_FSIZE fail with EFBIG (the save ignores SIGXFSZ while it writes, so the
// program is not ended by it). In a child, so that the limit stays there.
TEST(SaveRegularFile, FileSizeLimitFailsTheSaveNotTheProgram) {
  QTemporaryDir dir;
  const std::string path = dir.filePath(QStringLiteral("storia.nmr")).toStdString();
  const std::string report = RunInChild([&]() -> std::string {
    ::signal(SIGXFSZ, SIG_DFL);  // the default would end the process
    Put(path, kOld);
    const rlimit limit{4096, 4096};
    if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return "setrlimit failed";
    std::string out;
    const SaveOutcome over = SaveRegularFile(path, std::string(4097, 'x'));
    if (Step(over) != Step({SaveStep::kWrite, EFBIG}))
      out += "4097 bytes gave " + Step(over) + "; ";
    if (QtPlatformServices().SaveAtomically(QString::fromStdString(path), QByteArray(5000, 'x')))
      out += "the desktop services reported success; ";
    if (Contents(path) != kOld) out += "old file changed; ";
    if (!SaveRegularFile(path, std::string(4096, 'y'))) out += "4096 bytes failed; ";
    if (Contents(path) != std::string(4096, 'y')) out += "4096 bytes not saved; ";
    return out;
  });
  EXPECT_EQ(report, "");
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"storia.nmr"});
}

// A real tiny tmpfs filled up: the write meets ENOSPC. Needs root and a private mount
// namespace; skipped with the reason elsewhere.
TEST(SaveRegularFile, RealFullFileSystem) {
  QTemporaryDir dir;
  const std::string mount_point = dir.path().toStdString();
  const std::string report = RunInChild([&]() -> std::string {
    if (::unshare(CLONE_NEWNS) != 0) return "skip: no private mount namespace (needs root)";
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k") != 0)
      return "skip: cannot mount a tmpfs here";
    const std::string path = mount_point + "/storia.nmr", filler = mount_point + "/filler";
    Put(path, kOld);
    {
      std::ofstream fill(filler, std::ios::binary);
      const std::string block(4096, 'f');
      for (int i = 0; i < 64 && fill.write(block.data(), block.size()); ++i) continue;
    }
    std::string out;
    const SaveOutcome full = SaveRegularFile(path, std::string(16384, 'x'));
    if (Step(full) != Step({SaveStep::kWrite, ENOSPC}))
      out += "full disk gave " + Step(full) + "; ";
    if (QtPlatformServices().SaveAtomically(QString::fromStdString(path), QByteArray(16384, 'x')))
      out += "the desktop services reported success; ";
    if (Contents(path) != kOld) out += "old file changed; ";
    ::unlink(filler.c_str());
    if (!SaveRegularFile(path, std::string(16384, 'x'))) out += "save after freeing failed; ";
    DIR* listing = ::opendir(mount_point.c_str());
    int names = 0;
    while (listing != nullptr && ::readdir(listing) != nullptr) ++names;
    if (listing != nullptr) ::closedir(listing);
    if (names != 3) out += "folder holds " + std::to_string(names - 2) + " files; ";
    return out;
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report.substr(6);
  EXPECT_EQ(report, "");
}

// A named socket at path (a file that is neither regular nor a FIFO).
bool MakeSocket(const std::string& path) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (fd < 0 || path.size() >= sizeof address.sun_path) return false;
  path.copy(address.sun_path, path.size());
  const bool bound = ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  ::close(fd);
  return bound;
}

// Only regular files are read or replaced. A FIFO without a writer must not block the open (a
// watchdog would release it, failing the test).
TEST(RegularFiles, FifosSocketsDevicesAndFoldersAreNeitherReadNorReplaced) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  const std::string fifo = d + "/fifo", socket = d + "/socket", folder = d + "/folder";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0644), 0);
  ASSERT_TRUE(MakeSocket(socket));
  ASSERT_EQ(::mkdir(folder.c_str(), 0755), 0);
  ASSERT_EQ(::symlink("fifo", (d + "/link to fifo").c_str()), 0);
  FifoWatchdog watchdog(fifo);
  const std::pair<std::string, mode_t> cases[] = {
      // path, kind that must stay
      {fifo, S_IFIFO},   {d + "/link to fifo", S_IFIFO}, {socket, S_IFSOCK},
      {folder, S_IFDIR}, {"/dev/null", S_IFCHR},         {"/dev/zero", S_IFCHR}};
  QtPlatformServices real;
  for (const auto& [path, kind] : cases) {
    const int fd = OpenRegularForReading(path);
    EXPECT_EQ(fd, -1) << path;
    if (fd >= 0) ::close(fd);
    EXPECT_EQ(real.OpenForReading(path), nullptr) << path;
  }
  EXPECT_FALSE(watchdog.Stop()) << "opening the FIFO blocked";
  for (const auto& [path, kind] : cases) {
    if (path.rfind("/dev/", 0) == 0) continue;  // never tried on the system's own devices
    const SaveOutcome o = SaveRegularFile(path, "x");
    EXPECT_EQ(Step(o), Step({SaveStep::kNotRegular, kind == S_IFDIR ? EISDIR : EINVAL})) << path;
    EXPECT_EQ(ModeOf(path) & S_IFMT, kind) << path;
  }
  EXPECT_EQ(ModeOf(d + "/link to fifo", false) & S_IFMT, static_cast<mode_t>(S_IFLNK));
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"fifo", "folder", "link to fifo", "socket"}));
}

// Links are followed to the file they name, absolute or relative, also to one not there yet;
// the link itself stays. A replaced file keeps its permissions; a new one gets the umask's.
TEST(RegularFiles, LinksAreFollowedAndPermissionsKept) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  ASSERT_EQ(::mkdir((d + "/sub").c_str(), 0755), 0);
  Put(d + "/sub/target", kOld);
  ASSERT_EQ(::chmod((d + "/sub/target").c_str(), 0640), 0);
  ASSERT_EQ(::symlink("sub/target", (d + "/relative").c_str()), 0);
  ASSERT_EQ(::symlink((d + "/relative").c_str(), (d + "/absolute").c_str()), 0);
  ASSERT_EQ(::symlink("sub/new", (d + "/dangling").c_str()), 0);
  ASSERT_EQ(::symlink("loop", (d + "/loop").c_str()), 0);
  EXPECT_TRUE(SaveRegularFile(d + "/absolute", "via due link"));
  EXPECT_EQ(Contents(d + "/sub/target"), "via due link");
  EXPECT_EQ(ModeOf(d + "/sub/target") & 07777, 0640u);
  for (const char* link : {"/relative", "/absolute", "/dangling"})
    EXPECT_EQ(ModeOf(d + link, false) & S_IFMT, static_cast<mode_t>(S_IFLNK)) << link;
  EXPECT_TRUE(SaveRegularFile(d + "/dangling", "nuovo"));
  EXPECT_EQ(Contents(d + "/sub/new"), "nuovo");
  const mode_t mask = ::umask(0);
  ::umask(mask);
  EXPECT_EQ(ModeOf(d + "/sub/new") & 07777, 0666 & ~mask);
  EXPECT_EQ(Step(SaveRegularFile(d + "/loop", "x")), Step({SaveStep::kName, ELOOP}));
  // Opened without blocking: some kernel files that look regular (/proc/kmsg) would
  // otherwise block a read until something happens.
  const int fd = OpenRegularForReading(d + "/absolute");
  EXPECT_GE(fd, 0);
  EXPECT_NE(::fcntl(fd, F_GETFL) & O_NONBLOCK, 0);
  char first = 0;
  EXPECT_EQ(fd >= 0 ? ::read(fd, &first, 1) : -1, 1);
  EXPECT_EQ(first, 'v');
  if (fd >= 0) ::close(fd);
  EXPECT_EQ(OpenRegularForReading(""), -1);
  EXPECT_EQ(OpenRegularForReading(d + "/nothing"), -1);
}

// As a user without privileges: a file that may not be read cannot be opened, one that may
// not be written is not replaced, a folder that may not be written gets no new file. Under
// root these run in a child that has become "nobody"; where that is impossible they are
// skipped with the reason.
TEST(RegularFiles, PermissionsAreRespected) {
  QTemporaryDir dir;
  const std::string d = dir.path().toStdString();
  if (::geteuid() == 0 && ::chown(d.c_str(), 65534, 65534) != 0)
    GTEST_SKIP() << "cannot hand the test folder to the user nobody";
  const std::string report = RunInChild([&]() -> std::string {
    if (::geteuid() == 0 &&
        (::setgroups(0, nullptr) != 0 || ::setresgid(65534, 65534, 65534) != 0 ||
         ::setresuid(65534, 65534, 65534) != 0))
      return "skip: running as root and cannot become the user nobody";
    const std::string unreadable = d + "/unreadable", readonly = d + "/readonly";
    const std::string closed = d + "/closed";
    Put(unreadable, kOld);
    Put(readonly, kOld);
    if (::chmod(unreadable.c_str(), 0) != 0 || ::chmod(readonly.c_str(), 0444) != 0 ||
        ::mkdir(closed.c_str(), 0555) != 0)
      return "cannot set up the files";
    std::string out;
    if (OpenRegularForReading(unreadable) != -1 || errno != EACCES) out += "mode 000 was opened; ";
    const SaveOutcome ro = SaveRegularFile(readonly, "x");
    if (Step(ro) != Step({SaveStep::kNotWritable, EACCES})) out += "read-only: " + Step(ro) + "; ";
    if (Contents(readonly) != kOld) out += "read-only file changed; ";
    const SaveOutcome shut = SaveRegularFile(closed + "/new", "x");
    if (Step(shut) != Step({SaveStep::kCreate, EACCES}))
      out += "closed folder: " + Step(shut) + "; ";
    ::chmod(unreadable.c_str(), 0644);  // so that the folder can be removed
    return out;
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report.substr(6);
  EXPECT_EQ(report, "");
}

TEST(FileDialogs, SuffixOnlyWhereTheNameHasNoExtension) {
  const std::tuple<QString, QString, QString> cases[] = {
      // typed, suffix, result
      {"/a/scheda", "pdf", "/a/scheda.pdf"},
      {"/a/scheda.pdf", "pdf", "/a/scheda.pdf"},
      {"/a/scheda.PDF", "pdf", "/a/scheda.PDF"},
      {"/a/scheda.v2", "pdf", "/a/scheda.v2"},
      {"/a.b/scheda", "pdf", "/a.b/scheda.pdf"},
      {"/a/.nascosto", "pdf", "/a/.nascosto.pdf"},
      {"scheda", "pdf", "scheda.pdf"},
      {"/a/storia", "", "/a/storia"},
      {"/a/", "pdf", "/a/"},
      {"", "pdf", ""}};
  for (const auto& [typed, suffix, result] : cases)
    EXPECT_EQ(WithDefaultSuffix(typed, suffix), result) << typed.toStdString();
}

// The Open dialog hands back a typed name that does not exist (the program then says "File
// Inesistente" itself); Save As does not ask before replacing and adds the extension of the
// filter the user left or picked (by key, from the second) to a name typed without one.
TEST(FileDialogs, OpenAcceptsAnyTypedNameAndSaveAsAddsTheFiltersExtension) {
  QTemporaryDir dir;
  const QStringList filters{"Tutti i File (*.*)", "File Numerella (*.nmr)"};
  Put(dir.filePath("esiste.nmr").toStdString(), kOld);
  const std::tuple<QFileDialog::AcceptMode, const char*, QString, int, const char*> cases[] = {
      // mode, typed, default suffix, filter, chosen name
      {QFileDialog::AcceptOpen, "manca", "", 1, "manca"},
      {QFileDialog::AcceptSave, "esiste.nmr", "", 1, "esiste.nmr"},
      {QFileDialog::AcceptSave, "nuovo", "", 1, "nuovo.nmr"},
      {QFileDialog::AcceptSave, "nuovo", "", 0, "nuovo"},
      {QFileDialog::AcceptSave, "nuovo.txt", "", 1, "nuovo.txt"},
      {QFileDialog::AcceptSave, "scheda", "pdf", 1, "scheda.pdf"}};
  for (const auto& [mode, typed, suffix, filter, chosen] : cases) {
    QFileDialog dialog(nullptr, QString(), dir.path());
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    ConfigureFileDialog(dialog, mode, filters, 1, suffix);
    EXPECT_EQ(dialog.selectedNameFilter(), filters[1]);
    bool interrupted = false;  // a message box of the dialog's own would be closed by this
    QTimer::singleShot(0, &dialog, [&, filter = filter, typed = typed] {
      if (filter == 0) QTest::keyClick(dialog.findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Up);
      auto* edit = dialog.findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
      QTimer::singleShot(2000, &dialog, [&] {
        if (QWidget* box = QApplication::activeModalWidget(); box != nullptr && box != &dialog) {
          interrupted = true;
          box->close();
        }
        dialog.reject();
      });
      QTest::keyClicks(edit, QLatin1String(typed));
      QTest::keyClick(edit, Qt::Key_Return);  // the dialog's Open or Save button
    });
    const int result = dialog.exec();
    EXPECT_EQ(std::tuple(result, interrupted), std::tuple(int(QDialog::Accepted), false)) << typed;
    EXPECT_EQ(dialog.selectedFiles().value(0), dir.filePath(chosen)) << typed << filter;
  }
}

}  // namespace
}  // namespace numerella
