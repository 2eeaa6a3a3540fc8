// SPDX-License-Identifier: GPL-3.0-or-later
// Termination signals during a save: the file the save made is removed, then the signal acts.
#include "platform/save_signals.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <iterator>

namespace numerella {
namespace {

constexpr int kTermination[] = {SIGTERM, SIGINT, SIGHUP};

// What the handler reads: set before it is armed, never changed while armed.
struct sigaction g_before[std::size(kTermination)];
bool g_installed[std::size(kTermination)];
volatile sig_atomic_t g_armed = 0;
int g_folder = -1;
char g_name[NAME_MAX + 1];
dev_t g_device = 0;
ino_t g_inode = 0;

sigset_t TerminationSet() {
  sigset_t set;
  sigemptyset(&set);
  for (const int signal : kTermination) sigaddset(&set, signal);
  return set;
}

// Only async-signal-safe calls: fstatat, unlinkat, sigaction, raise.
void RemoveFileThenAct(int signal) {
  const int saved_errno = errno;
  if (g_armed != 0) {
    g_armed = 0;
    struct stat st = {};
    if (::fstatat(g_folder, g_name, &st, AT_SYMLINK_NOFOLLOW) == 0 && st.st_dev == g_device &&
        st.st_ino == g_inode)
      ::unlinkat(g_folder, g_name, 0);
  }
  // The signal again, now with the handler that was there before: it is held back until this
  // handler returns, and then normally ends the program.
  for (std::size_t i = 0; i < std::size(kTermination); ++i)
    if (kTermination[i] == signal) ::sigaction(signal, &g_before[i], nullptr);
  ::raise(signal);
  errno = saved_errno;
}

}  // namespace

SaveSignalGuard::SaveSignalGuard() {
  struct sigaction remove = {};
  remove.sa_handler = RemoveFileThenAct;
  remove.sa_mask = TerminationSet();
  remove.sa_flags = SA_RESTART;
  for (std::size_t i = 0; i < std::size(kTermination); ++i) {
    g_installed[i] = false;
    if (::sigaction(kTermination[i], nullptr, &g_before[i]) != 0) continue;
    const bool ignored =
        (g_before[i].sa_flags & SA_SIGINFO) == 0 && g_before[i].sa_handler == SIG_IGN;
    g_installed[i] = !ignored && ::sigaction(kTermination[i], &remove, nullptr) == 0;
  }
}

SaveSignalGuard::~SaveSignalGuard() {
  Disarm();
  for (std::size_t i = 0; i < std::size(kTermination); ++i)
    if (g_installed[i]) ::sigaction(kTermination[i], &g_before[i], nullptr);
}

void SaveSignalGuard::Arm(int folder, const std::string& name, const struct stat& st) {
  if (name.size() >= sizeof g_name) return;
  g_armed = 0;
  g_folder = folder;
  std::memcpy(g_name, name.c_str(), name.size() + 1);
  g_device = st.st_dev;
  g_inode = st.st_ino;
  g_armed = 1;
}

void SaveSignalGuard::Disarm() { g_armed = 0; }

TerminationSignalsHeld::TerminationSignalsHeld() {
  const sigset_t set = TerminationSet();
  ::pthread_sigmask(SIG_BLOCK, &set, &before_);
}

TerminationSignalsHeld::~TerminationSignalsHeld() {
  ::pthread_sigmask(SIG_SETMASK, &before_, nullptr);
}

}  // namespace numerella
