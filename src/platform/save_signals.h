// SPDX-License-Identifier: GPL-3.0-or-later
// What the termination signals (SIGTERM, SIGINT, SIGHUP) do while a file is being saved.
//
// A save makes a file of its own before the content is in place: the temporary file that will
// replace the old one, or the new file itself when the name did not exist. While the guard is
// armed with that file, a termination signal first removes it (only if the name still leads to
// that very file) and then acts as it would have without the guard, normally ending the
// program. Signals that were ignored stay ignored. Saves run one at a time, on one thread.
#pragma once

#include <sys/stat.h>

#include <csignal>
#include <string>

namespace numerella {

class SaveSignalGuard {
 public:
  SaveSignalGuard();   // installs the handlers
  ~SaveSignalGuard();  // disarms and puts the earlier handlers back
  SaveSignalGuard(const SaveSignalGuard&) = delete;
  SaveSignalGuard& operator=(const SaveSignalGuard&) = delete;

  // From now on a termination signal removes the file name in folder, if it is still st.
  void Arm(int folder, const std::string& name, const struct stat& st);
  void Disarm();
};

// Holds the termination signals back for the life of the object: one that arrives meanwhile
// acts when the object goes. Used where a signal must not fall between two steps.
class TerminationSignalsHeld {
 public:
  TerminationSignalsHeld();
  ~TerminationSignalsHeld();
  TerminationSignalsHeld(const TerminationSignalsHeld&) = delete;
  TerminationSignalsHeld& operator=(const TerminationSignalsHeld&) = delete;

 private:
  sigset_t before_{};
};

}  // namespace numerella
