// SPDX-License-Identifier: GPL-3.0-or-later
// Reading and saving files, one row of saves.tsv at a time: a folder made ready by a shell
// setup, a user, faults of the disk, and where the save stopped and what the file then holds.
// Every row also checks that no temporary file is left, that an existing file keeps its owner,
// group, mode and attributes, and that the saved name keeps its kind (a link stays a link).
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QTemporaryDir>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "case_table.h"
#include "child_process.h"
#include "platform/failing_file_calls.h"
#include "platform/qt_platform_services.h"

namespace numerella {
namespace {

using numerella::test::Row;

std::string Contents(const std::string& path) {
  struct stat st = {};
  if (::stat(path.c_str(), &st) != 0) return "<missing>";
  if (!S_ISREG(st.st_mode)) return "<not a file>";
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return all.str();
}

// Who may do what with the file: owner, group, mode and every extended attribute.
std::string Access(const std::string& path) {
  struct stat st = {};
  if (::lstat(path.c_str(), &st) != 0) return "<missing>";
  std::string out = std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
                    std::to_string(st.st_mode);
  char names[4096], value[4096];
  const ssize_t length = ::listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
    const ssize_t size = ::getxattr(path.c_str(), names + at, value, sizeof value);
    out += std::string(" ") + (names + at) + "=" + std::string(value, std::max<ssize_t>(size, 0));
  }
  return out;
}

int Errno(const std::string& name) {
  for (int e = 1; e < 200; ++e)
    if (const char* known = strerrorname_np(e); known != nullptr && name == known) return e;
  return -1;
}

// In a child: become "UID" or "UID/GROUP" (with the group beside its own number).
bool Become(const std::string& saver) {
  if (saver == "-") return true;
  const auto uid = static_cast<uid_t>(std::stoul(saver));
  const std::size_t slash = saver.find('/');
  const gid_t group = slash == std::string::npos ? 0 : std::stoul(saver.substr(slash + 1));
  return ::setgroups(group != 0, &group) == 0 && ::setresgid(uid, uid, uid) == 0 &&
         ::setresuid(uid, uid, uid) == 0;
}

// The file calls of a row: injected faults, the real full device, or a termination signal
// that comes while the content is flushed.
struct RowCalls : FailingFileCalls {
  bool dev_full = false;
  int signal = 0;
  ssize_t Write(int fd, const char* data, std::size_t size) override {
    if (!dev_full) return FailingFileCalls::Write(fd, data, size);
    const int full = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    const ssize_t written = ::write(full, data, size);
    const int error = errno;
    ::close(full);
    errno = error;
    return written;
  }
  int Sync(int fd) override {
    if (signal != 0) ::raise(signal);
    return FailingFileCalls::Sync(fd);
  }
};

// What the saver does: read (the first byte, or the errno) or save (the step and errno).
std::string Act(const Row& row, const std::string& target, const std::string& content) {
  RowCalls calls;
  bool qt = false, read = false;
  for (const std::string& word : numerella::test::Words(row["fault"])) {
    const std::string value = word.substr(word.find_first_of("=@") + 1);
    const char* names[] = {"write@", "sync@", "close@", "rename@"};
    for (int call = 0; call < 4; ++call) {
      if (word.starts_with(names[call]))
        calls.FailAt(static_cast<FailingFileCalls::Call>(call), std::stoi(value),
                     value.ends_with(":0") ? 0 : Errno(value.substr(value.find(':') + 1)));
    }
    if (word.starts_with("cut=")) calls.LimitWrites(std::stoul(value));
    if (word.starts_with("fsize=")) {
      ::signal(SIGXFSZ, SIG_DFL);  // the save itself must keep it from ending the program
      const rlimit limit{std::stoul(value), std::stoul(value)};
      ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    if (word.starts_with("SIG"))
      calls.signal = word == "SIGTERM" ? SIGTERM : word == "SIGINT" ? SIGINT : SIGHUP;
    calls.dev_full |= word == "devfull";
    if (word == "fd0") ::close(STDIN_FILENO);  // the file opened gets descriptor 0
    qt |= word == "qt";
    read |= word == "read";
  }
  if (read) {
    const int fd = OpenRegularForReading(target);
    const bool qt_read = QtPlatformServices().OpenForReading(target) != nullptr;
    if (fd < 0) return strerrorname_np(errno) + std::string(qt_read ? " but read by Qt" : "");
    char first = 0;
    const bool blocking = (::fcntl(fd, F_GETFL) & O_NONBLOCK) == 0;
    const std::string got = ::read(fd, &first, 1) == 1 ? std::string(1, first) : "nothing";
    return "read " + got + (blocking ? " blocking" : "") + (qt_read ? "" : " but not by Qt");
  }
  if (qt)
    return QtPlatformServices(calls).SaveAtomically(QString::fromStdString(target),
                                                    QByteArray::fromStdString(content))
               ? "saved"
               : "failed";
  const SaveOutcome o = SaveRegularFile(target, content, calls);
  const char* steps[] = {"ok",      "name",  "not regular", "not writable", "create",
                         "reserve", "write", "sync",        "close",        "rename"};
  return o ? "ok" : steps[static_cast<int>(o.step)] + std::string(" ") + strerrorname_np(o.error);
}

// The row, in a child of the test that may mount a file system of its own.
std::string RunRow(const Row& row, const std::string& folder) {
  if (row["fault"].find("tmpfs") != std::string::npos &&
      (::unshare(CLONE_NEWNS) != 0 ||
       ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
       ::mount("tmpfs", folder.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0))
    return "skip: cannot mount a file system of its own here (needs root)";
  const std::string setup =
      "set -e; old() { printf '\"vecchio\"\\r\\n\"1\"\\r\\n' > \"$1\"; }; cd '" + folder + "'; " +
      row["setup"];
  const int status = std::system(setup.c_str());
  if (WEXITSTATUS(status) == 77) return "skip: not possible here";
  if (status != 0) return "the setup failed";
  const std::string target = row["target"].starts_with("/") || row["target"].empty()
                                 ? row["target"]
                                 : folder + "/" + row["target"];
  const std::string file = row["file"].empty() ? target : folder + "/" + row["file"];
  const std::string content = numerella::test::Unescape(row["content"]);
  struct stat before = {}, after = {}, link_before = {}, link_after = {};
  const bool existed = ::stat(file.c_str(), &before) == 0;
  ::lstat(target.c_str(), &link_before);
  const std::string old = Contents(file), access = Access(file);
  std::string report = RunInChild([&] {
    ::umask(022);
    ::alarm(10);  // a FIFO that blocks an open ends the child instead of the test
    return Become(row["saver"]) ? Act(row, target, content) : "cannot become the user";
  });
  ::stat(file.c_str(), &after);
  ::lstat(target.c_str(), &link_after);
  if (report.starts_with(" ")) report.erase(0, 1);  // ended by a signal
  if (report == "ok") {
    char mode[8];
    std::snprintf(mode, sizeof mode, "%o", after.st_mode & 0777);
    report = !existed                        ? std::string("created ") + mode
             : before.st_ino == after.st_ino ? "in place"
                                             : "replaced";
  }
  const std::string now = Contents(file);
  report += std::string("; ") + (now == "<missing>" ? "missing"
                                 : now == old       ? "old"
                                 : now == content   ? "new"
                                                    : "other");
  if (existed && Access(file) != access) report += "; access changed to " + Access(file);
  if ((link_before.st_mode & S_IFMT) != (link_after.st_mode & S_IFMT) && link_before.st_mode != 0)
    report += "; the saved name changed its kind";
  std::error_code error;
  for (const auto& entry :
       std::filesystem::directory_iterator(std::filesystem::path(file).parent_path(), error))
    if (entry.path().string().ends_with(".tmp"))
      report += "; left behind: " + entry.path().string();
  return report;
}

// The saver and a watcher share one CPU, the saver with the lowest priority, so that the
// watcher runs as soon as a new name appears. As another user, the watcher opens every new
// name in the folder of a private file while the owner saves it many times: none may open.
TEST(SaveAccess, NoOtherUserOpensTheTemporaryOfAPrivateFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as several users";
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString(), path = folder + "/storia.nmr";
  std::ofstream(path) << "vecchio";
  ASSERT_TRUE(::chown(path.c_str(), 61001, 61001) == 0 && ::chmod(path.c_str(), 0600) == 0 &&
              ::chown(folder.c_str(), 61001, 61001) == 0 && ::chmod(folder.c_str(), 0755) == 0);
  cpu_set_t one;
  CPU_ZERO(&one);
  CPU_SET(sched_getcpu(), &one);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t watcher = ::fork();
  if (watcher == 0) {
    const int events = ::inotify_init();
    if (!Become("61002") || ::sched_setaffinity(0, sizeof one, &one) != 0 ||
        ::inotify_add_watch(events, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
      ::_exit(1);
    (void)!::write(report[1], "r", 1);
    alignas(inotify_event) char buffer[4096];
    for (ssize_t got; (got = ::read(events, buffer, sizeof buffer)) > 0;) {
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (std::strcmp(event->name, "fine") == 0) ::_exit(0);
        const int fd = ::open((folder + "/" + event->name).c_str(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0) (void)!::write(report[1], "o", 1), ::close(fd);
      }
    }
  }
  ::close(report[1]);
  char c = 0;
  ASSERT_EQ(::read(report[0], &c, 1), 1) << "the watcher could not start";
  EXPECT_EQ(RunInChild([&]() -> std::string {
              const sched_param lowest{};
              if (!Become("61001") || ::sched_setaffinity(0, sizeof one, &one) != 0 ||
                  ::sched_setscheduler(0, SCHED_IDLE, &lowest) != 0)
                return "cannot set up the saver";
              for (int i = 0; i < 20; ++i)
                if (!SaveRegularFile(path, "nuovo " + std::to_string(i))) return "save failed";
              return "";
            }),
            "");
  std::ofstream(folder + "/fine") << "";
  std::string opened;
  while (::read(report[0], &c, 1) == 1) opened += c;
  ::close(report[0]);
  ::waitpid(watcher, nullptr, 0);
  EXPECT_EQ(opened, "") << "the watcher opened a new name this many times";
}

class Saves : public testing::TestWithParam<Row> {};

TEST_P(Saves, Run) {
  const Row& row = GetParam();
  if (::geteuid() != 0 && row["saver"] != "-") GTEST_SKIP() << "needs root to act as another user";
  QTemporaryDir dir;
  const std::string report = RunInChild([&] { return RunRow(row, dir.path().toStdString()); });
  if (report.starts_with("skip: ")) GTEST_SKIP() << report.substr(6);
  EXPECT_EQ(report, row["outcome"] + "; " + row["holds"]);
}

INSTANTIATE_TEST_SUITE_P(Table, Saves,
                         testing::ValuesIn(numerella::test::ReadTable(TABLES "saves.tsv")),
                         [](const auto& info) {
                           return "line" + info.param.where.substr(info.param.where.find(':') + 1);
                         });

}  // namespace
}  // namespace numerella
