// SPDX-License-Identifier: GPL-3.0-or-later
// Saving among several users: a save keeps who may do what with the file (owner, group, mode,
// access control list, extended attributes), never lets another user open its temporary file,
// writes in place where the folder takes no new file, follows links only as the kernel allows,
// and leaves nothing behind when a termination signal ends it. The users are made up numbers
// without a passwd entry; the tests need root to become them and are skipped otherwise.
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sched.h>
#include <signal.h>
#include <sys/inotify.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <QDir>
#include <QTemporaryDir>
#include <cstring>
#include <fstream>
#include <sstream>

#include "child_process.h"
#include "platform/failing_file_calls.h"
#include "platform/regular_files.h"

namespace numerella {
namespace {

constexpr uid_t kAlice = 61001, kBob = 61002, kCarol = 61003;
constexpr gid_t kStaff = 61010;  // alice and bob belong to it
const std::string kOld = "\"vecchio\"\r\n\"1\"\r\n", kNew = "\"nuovo\"\r\n\"2\"\r\n\"3\"\r\n";

std::string Contents(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream all;
  all << in.rdbuf();
  return in ? all.str() : "<missing>";
}
void Put(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}
std::string Step(const SaveOutcome& o) {
  const char* steps[] = {"ok",      "name",  "not regular", "not writable", "create",
                         "reserve", "write", "sync",        "close",        "rename"};
  return o ? "ok" : steps[static_cast<int>(o.step)] + std::string(" ") + strerrorname_np(o.error);
}
std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> names;
  for (const QString& n :
       QDir(QString::fromStdString(folder))
           .entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                      QDir::Name))
    names.push_back(n.toStdString());
  return names;
}
// Who may do what with the file: owner, group, mode and every extended attribute.
std::string Access(const std::string& path) {
  struct stat st = {};
  if (::lstat(path.c_str(), &st) != 0) return "<missing>";
  std::string out = std::to_string(st.st_uid) + ":" + std::to_string(st.st_gid) + " " +
                    std::to_string(st.st_mode & 07777);
  char names[4096], value[4096];
  const ssize_t length = ::listxattr(path.c_str(), names, sizeof names);
  for (ssize_t at = 0; at < length; at += static_cast<ssize_t>(std::strlen(names + at)) + 1) {
    const ssize_t size = ::getxattr(path.c_str(), names + at, value, sizeof value);
    out += std::string(" ") + (names + at) + "=" + std::string(value, std::max<ssize_t>(size, 0));
  }
  return out;
}
ino_t Inode(const std::string& path) {
  struct stat st = {};
  return ::stat(path.c_str(), &st) == 0 ? st.st_ino : 0;
}
// In a child: become uid, with its own number as group and kStaff beside it (alice and bob).
bool Become(uid_t uid) {
  const gid_t groups[] = {kStaff};
  return uid == 0 || (::setgroups(uid == kCarol ? 0 : 1, groups) == 0 &&
                      ::setresgid(uid, uid, uid) == 0 && ::setresuid(uid, uid, uid) == 0);
}

struct Scenario {
  const char* name;
  mode_t folder_mode;
  uid_t folder_owner, owner;
  gid_t group;
  mode_t mode;
  const char* acl;    // setfacl -m entries (default ones "d:" on the folder), or none
  const char* xattr;  // one user attribute name=value, or none
  uid_t link_owner;   // saved through a link made by this user beside the file; 0: no link
  uid_t saver;
  const char* expected;  // "replaced", "in place", or where the save stopped ("step ERRNO")
};
const Scenario kScenarios[] = {
    {"private file", 0755, kAlice, kAlice, kAlice, 0600, "", "", 0, kAlice, "replaced"},
    {"access list for carol", 0755, kAlice, kAlice, kAlice, 0600, "u:61003:rw", "", 0, kAlice,
     "replaced"},
    {"user attribute", 0755, kAlice, kAlice, kAlice, 0640, "", "user.origine=lab", 0, kAlice,
     "replaced"},
    {"folder's default list not inherited", 0755, kAlice, kAlice, kAlice, 0640, "d:u:61003:rw", "",
     0, kAlice, "replaced"},
    {"own file, group staff", 0755, kBob, kBob, kStaff, 0664, "", "", 0, kBob, "replaced"},
    {"root saves an access list", 0755, kAlice, kAlice, kStaff, 0640, "u:61002:r", "user.a=b", 0, 0,
     "replaced"},
    {"alice's shared file saved by bob", 02775, kAlice, kAlice, kStaff, 0664, "u:61003:r", "", 0,
     kBob, "in place"},
    {"folder takes no new file", 0555, kAlice, kAlice, kAlice, 0644, "", "user.a=b", 0, kAlice,
     "in place"},
    {"alice's file in sticky folder", 01777, 0, kAlice, kAlice, 0666, "", "", 0, kBob, "in place"},
    {"read-only file", 0755, kAlice, kAlice, kAlice, 0444, "", "", 0, kAlice,
     "not writable EACCES"},
    {"carol may not write", 0755, kAlice, kAlice, kStaff, 0664, "", "", 0, kCarol,
     "not writable EACCES"},
};
// Links planted in a sticky world-writable folder are followed only where the kernel allows.
const Scenario kPlantedLinks[] = {
    {"bob's link to alice's file", 01777, 0, kAlice, kAlice, 0600, "", "", kBob, kAlice,
     "name EACCES"},
    {"alice's own link", 01777, 0, kAlice, kAlice, 0600, "", "", kAlice, kAlice, "replaced"},
};

void RunScenarios(const QTemporaryDir& dir, const Scenario* begin, const Scenario* end) {
  ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
  for (const Scenario* s = begin; s != end; ++s) {
    const std::string folder = dir.path().toStdString() + "/" + std::to_string(s - begin);
    const std::string path = folder + "/storia.nmr", link = folder + "/link";
    ASSERT_EQ(::mkdir(folder.c_str(), 0700), 0);
    Put(path, kOld);
    ASSERT_EQ(::chown(path.c_str(), s->owner, s->group), 0);
    ASSERT_EQ(::chmod(path.c_str(), s->mode), 0);
    const char* equal = std::strchr(s->xattr, '=');
    ASSERT_TRUE(
        (*s->acl == '\0' || std::system(("setfacl -m " + std::string(s->acl) + " " +
                                         (s->acl[0] == 'd' ? folder : path))
                                            .c_str()) == 0) &&
        (equal == nullptr || ::setxattr(path.c_str(), std::string(s->xattr, equal).c_str(),
                                        equal + 1, std::strlen(equal + 1), 0) == 0) &&
        (s->link_owner == 0 || (::symlink("storia.nmr", link.c_str()) == 0 &&
                                ::lchown(link.c_str(), s->link_owner, s->link_owner) == 0)) &&
        ::chown(folder.c_str(), s->folder_owner, kStaff) == 0 &&
        ::chmod(folder.c_str(), s->folder_mode) == 0)
        << s->name;
    const std::string access = Access(path);
    const std::vector<std::string> names = Names(folder);
    const ino_t inode = Inode(path);
    const std::string outcome = RunInChild([&] {
      return Become(s->saver) ? Step(SaveRegularFile(s->link_owner ? link : path, kNew))
                              : "cannot become the user";
    });
    const std::string expected(s->expected);
    const bool saved = expected == "replaced" || expected == "in place";
    EXPECT_EQ(outcome, saved ? "ok" : expected) << s->name;
    EXPECT_EQ(Contents(path), saved ? kNew : kOld) << s->name;
    EXPECT_EQ(Access(path), access) << s->name;
    EXPECT_EQ(Names(folder), names) << s->name;
    EXPECT_EQ(Inode(path) == inode, expected != "replaced") << s->name;
  }
}

TEST(SaveAccess, OwnerGroupModeAccessListAndAttributesKept) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as several users";
  if (std::system("setfacl --version >/dev/null 2>&1") != 0) GTEST_SKIP() << "no setfacl (acl)";
  QTemporaryDir dir;
  RunScenarios(dir, std::begin(kScenarios), std::end(kScenarios));
}

TEST(SaveAccess, LinksFollowedOnlyAsTheKernelAllows) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as several users";
  if (Contents("/proc/sys/fs/protected_symlinks") != "1\n")
    GTEST_SKIP() << "the kernel does not protect links here (fs.protected_symlinks is not 1)";
  QTemporaryDir dir;
  RunScenarios(dir, std::begin(kPlantedLinks), std::end(kPlantedLinks));
}

// The saver and a watcher share one CPU, the saver with the lowest priority, so that the
// watcher runs as soon as a new name appears. As another user, the watcher opens every new
// name in the folder of a private file while the owner saves it many times: none may open.
TEST(SaveAccess, NoOtherUserOpensTheTemporaryOfAPrivateFile) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to act as several users";
  QTemporaryDir dir;
  const std::string folder = dir.path().toStdString(), path = folder + "/storia.nmr";
  Put(path, kOld);
  ASSERT_TRUE(::chown(path.c_str(), kAlice, kAlice) == 0 && ::chmod(path.c_str(), 0600) == 0 &&
              ::chown(folder.c_str(), kAlice, kAlice) == 0 && ::chmod(folder.c_str(), 0755) == 0);
  cpu_set_t cpus, one;
  ASSERT_EQ(::sched_getaffinity(0, sizeof cpus, &cpus), 0);
  CPU_ZERO(&one);
  for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu)
    if (CPU_ISSET(cpu, &cpus) && CPU_COUNT(&one) == 0) CPU_SET(cpu, &one);
  int report[2];
  ASSERT_EQ(::pipe(report), 0);
  const pid_t watcher = ::fork();
  if (watcher == 0) {
    const int events = ::inotify_init();
    if (!Become(kBob) || ::sched_setaffinity(0, sizeof one, &one) != 0 ||
        ::inotify_add_watch(events, folder.c_str(), IN_CREATE | IN_MOVED_TO) < 0)
      ::_exit(1);
    (void)!::write(report[1], "r", 1);
    alignas(inotify_event) char buffer[4096];
    for (;;) {
      const ssize_t got = ::read(events, buffer, sizeof buffer);
      for (ssize_t at = 0; at < got;) {
        const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
        at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
        if (std::strcmp(event->name, "fine") == 0) ::_exit(0);
        const int fd = ::open((folder + "/" + event->name).c_str(), O_RDONLY | O_NONBLOCK);
        if (fd >= 0) (void)!::write(report[1], "o", 1);
        if (fd >= 0) ::close(fd);
      }
    }
  }
  ::close(report[1]);
  char ready = 0;
  ASSERT_EQ(::read(report[0], &ready, 1), 1) << "the watcher could not start";
  const std::string saver = RunInChild([&]() -> std::string {
    const sched_param lowest{};
    if (!Become(kAlice) || ::sched_setaffinity(0, sizeof one, &one) != 0 ||
        ::sched_setscheduler(0, SCHED_IDLE, &lowest) != 0)
      return "cannot set up the saver";
    for (int i = 0; i < 20; ++i)
      if (!SaveRegularFile(path, kNew + std::to_string(i))) return "save failed";
    return "";
  });
  Put(folder + "/fine", "");
  std::string opened;
  for (char c; ::read(report[0], &c, 1) == 1;) opened += c;
  ::close(report[0]);
  int status = 0;
  ::waitpid(watcher, &status, 0);
  EXPECT_EQ(saver, "");
  EXPECT_EQ(opened, "") << "the watcher opened a new name this many times";
  EXPECT_EQ(Contents(path), kNew + "19");
}

// A save held in its flush (after the whole content is written) and ended by each termination
// signal: the program ends by that signal, the old file is whole and nothing else is left.
TEST(SaveAccess, TerminationSignalsLeaveNothingBehind) {
  struct HeldSync : FileCalls {
    int held = -1;
    int Sync(int) override {
      (void)!::write(held, "h", 1);
      for (;;) ::pause();
    }
  };
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
    for (const bool existing : {true, false}) {
      QTemporaryDir dir;
      const std::string path = dir.filePath("storia.nmr").toStdString();
      if (existing) Put(path, kOld);
      int held[2];
      ASSERT_EQ(::pipe(held), 0);
      const pid_t saver = ::fork();
      if (saver == 0) {
        ::signal(signal, SIG_DFL);
        HeldSync calls;
        calls.held = held[1];
        SaveRegularFile(path, kNew, calls);
        ::_exit(0);
      }
      ::close(held[1]);
      char c = 0;
      EXPECT_EQ(::read(held[0], &c, 1), 1);
      ::close(held[0]);
      EXPECT_EQ(Names(dir.path().toStdString()).size(), 1u + existing);  // the save's own file
      ::kill(saver, signal);
      int status = 0;
      ::waitpid(saver, &status, 0);
      EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal) << signal;
      EXPECT_EQ(Names(dir.path().toStdString()),
                existing ? std::vector<std::string>{"storia.nmr"} : std::vector<std::string>{})
          << signal;
      EXPECT_EQ(Contents(path), existing ? kOld : "<missing>") << signal;
    }
  }
}

// Written in place (the folder takes no new file): faults of the disk are reported; a full
// disk is found before the first byte changes; a shorter content leaves nothing of the old.
TEST(SaveAccess, InPlaceReservesRoomFirstAndReportsEveryFault) {
  QTemporaryDir dir;
  const std::string mount_point = dir.path().toStdString();
  const std::string report = RunInChild([&]() -> std::string {
    if (::geteuid() != 0 || ::unshare(CLONE_NEWNS) != 0) return "skip: no private mount (root)";
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        ::mount("tmpfs", mount_point.c_str(), "tmpfs", 0, "size=64k,mode=0755") != 0)
      return "skip: cannot mount a tmpfs here";
    const std::string path = mount_point + "/storia.nmr", filler = mount_point + "/filler";
    Put(path, kOld);
    Put(filler, "");
    if (::chown(path.c_str(), kAlice, kAlice) != 0 || ::chown(filler.c_str(), kAlice, 0) != 0 ||
        !Become(kAlice))
      return "cannot set up the files";
    using C = FailingFileCalls;
    const std::tuple<C::Call, int, const char*, std::string> faults[] = {
        // fault, errno, outcome, content after
        {C::kWrite, ENOSPC, "write ENOSPC", kOld},
        {C::kSync, EIO, "sync EIO", kNew},
        {C::kClose, EDQUOT, "close EDQUOT", kNew},
        {C::kWrite, 0, "ok", "corto"}};
    std::string out;
    for (const auto& [call, error, outcome, after] : faults) {
      C calls;
      calls.FailAt(call, error != 0 ? 1 : 0, error);
      const std::string got = Step(SaveRegularFile(path, error != 0 ? kNew : after, calls));
      if (got != outcome || Contents(path) != after) out += got + " " + Contents(path) + "; ";
    }
    {
      std::ofstream fill(filler, std::ios::binary);
      const std::string block(4096, 'f');
      for (int i = 0; i < 64 && fill.write(block.data(), block.size()); ++i) continue;
    }
    const std::string full = Step(SaveRegularFile(path, std::string(16384, 'x')));
    if (full != "reserve ENOSPC" || Contents(path) != "corto") out += "full disk: " + full + "; ";
    if (::truncate(filler.c_str(), 0) != 0) return "cannot free the disk";
    if (!SaveRegularFile(path, std::string(16384, 'x'))) out += "save after freeing failed; ";
    if (Names(mount_point) != std::vector<std::string>{"filler", "storia.nmr"})
      out += "other files left; ";
    return out;
  });
  if (report.rfind("skip: ", 0) == 0) GTEST_SKIP() << report.substr(6);
  EXPECT_EQ(report, "");
}

}  // namespace
}  // namespace numerella
