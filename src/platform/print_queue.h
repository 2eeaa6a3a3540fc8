// SPDX-License-Identifier: GPL-3.0-or-later
// Questions to the print system (CUPS) that never wait long. Each opens a connection of its
// own with a time limit on connecting and on every answer, so a print server that takes the
// connection and never answers costs at most that limit. They block their calling thread for
// that long, so the window asks them from a worker thread.
#pragma once

#include <chrono>
#include <string>

namespace numerella {

struct PrintQueue {
  enum class State {
    kNone,       // no printer, or the print server did not answer in time
    kAccepting,  // takes jobs
    kRejecting,  // refuses every job
  };
  State state = State::kNone;
  std::string name;
  std::string instance;  // empty, or the instance of name chosen as the default
  int last_job = -1;     // the highest number among this user's jobs on it; -1 when unknown
};

// The default queue (or, without one, the first the server lists), asked within limit.
PrintQueue AskDefaultQueue(std::chrono::milliseconds limit);

enum class JobFate {
  kTaken,    // completed, or still waiting or printing when limit ran out
  kFailed,   // aborted or cancelled by the print system
  kUnknown,  // no such job listed, or no answer
};

// Follows this user's first job on queue numbered above after_job until it has finished or
// limit has passed.
JobFate FollowJob(const std::string& queue, int after_job, std::chrono::milliseconds limit);

}  // namespace numerella
