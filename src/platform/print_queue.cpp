// SPDX-License-Identifier: GPL-3.0-or-later
// The print system's queues and jobs through libcups, every wait bounded by a deadline.
#include "platform/print_queue.h"

#include <cups/cups.h>
#include <sys/socket.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace numerella {

namespace {

using Clock = std::chrono::steady_clock;

// How often a wait for an answer looks at the deadline.
constexpr double kWaitStepSeconds = 0.2;
constexpr std::chrono::milliseconds kJobPoll{250};

int BeforeDeadline(http_t* /*http*/, void* deadline) {
  return Clock::now() < *static_cast<const Clock::time_point*>(deadline) ? 1 : 0;
}

// Nothing here asks the user for a password: a server that wants one counts as not answering.
const char* NoPassword(const char* /*prompt*/, http_t* /*http*/, const char* /*method*/,
                       const char* /*resource*/, void* /*data*/) {
  return nullptr;
}

// A connection to the print server that gives up at its deadline.
class Connection {
 public:
  explicit Connection(std::chrono::milliseconds limit) : deadline_(Clock::now() + limit) {
    cupsSetPasswordCB2(NoPassword, nullptr);  // for this thread only
    http_ = httpConnect2(cupsServer(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         static_cast<int>(limit.count()), nullptr);
    if (http_ != nullptr) httpSetTimeout(http_, kWaitStepSeconds, BeforeDeadline, &deadline_);
  }
  ~Connection() {
    if (http_ != nullptr) httpClose(http_);
  }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  http_t* http() const { return http_; }
  bool Expired() const { return Clock::now() >= deadline_; }
  bool HasTimeFor(std::chrono::milliseconds wait) const { return Clock::now() + wait < deadline_; }

 private:
  Clock::time_point deadline_;
  http_t* http_ = nullptr;
};

// This user's jobs on queue, finished ones included; an empty list on failure.
struct Jobs {
  cups_job_t* list = nullptr;
  int count = 0;
  Jobs(http_t* http, const std::string& queue)
      : count(cupsGetJobs2(http, &list, queue.c_str(), 1, CUPS_WHICHJOBS_ALL)) {}
  ~Jobs() { cupsFreeJobs(std::max(count, 0), list); }
  Jobs(const Jobs&) = delete;
  Jobs& operator=(const Jobs&) = delete;
};

void Describe(const cups_dest_t& dest, PrintQueue& queue) {
  queue.name = dest.name;
  queue.instance = dest.instance != nullptr ? dest.instance : "";
  const char* accepting =
      cupsGetOption("printer-is-accepting-jobs", dest.num_options, dest.options);
  const bool rejecting = accepting != nullptr && std::strcmp(accepting, "false") == 0;
  queue.state = rejecting ? PrintQueue::State::kRejecting : PrintQueue::State::kAccepting;
}

}  // namespace

PrintQueue AskDefaultQueue(std::chrono::milliseconds limit) {
  PrintQueue queue;
  const Connection server(limit);
  if (server.http() == nullptr) return queue;
  // The default as the user set it (environment, lpoptions) or the server's own.
  if (cups_dest_t* dest = cupsGetNamedDest(server.http(), nullptr, nullptr)) {
    Describe(*dest, queue);
    cupsFreeDests(1, dest);
  } else if (!server.Expired()) {
    cups_dest_t* dests = nullptr;
    const int count = cupsGetDests2(server.http(), &dests);
    if (count > 0) Describe(dests[0], queue);
    cupsFreeDests(std::max(count, 0), dests);
  }
  if (queue.state == PrintQueue::State::kNone) return queue;
  const Jobs jobs(server.http(), queue.name);
  if (jobs.count >= 0) {
    queue.last_job = 0;
    for (int i = 0; i < jobs.count; ++i) queue.last_job = std::max(queue.last_job, jobs.list[i].id);
  }
  // A server that stopped answering half way is not trusted with the page.
  if (server.Expired()) queue.state = PrintQueue::State::kNone;
  return queue;
}

JobFate FollowJob(const std::string& queue, int after_job, std::chrono::milliseconds limit) {
  const Connection server(limit);
  if (server.http() == nullptr) return JobFate::kUnknown;
  for (;;) {
    const cups_job_t* job = nullptr;
    const Jobs jobs(server.http(), queue);
    for (int i = 0; i < jobs.count; ++i) {
      const cups_job_t& j = jobs.list[i];
      if (j.id > after_job && (job == nullptr || j.id < job->id)) job = &j;
    }
    if (job == nullptr) return JobFate::kUnknown;
    if (job->state == IPP_JSTATE_ABORTED || job->state == IPP_JSTATE_CANCELED) {
      return JobFate::kFailed;
    }
    if (job->state == IPP_JSTATE_COMPLETED || !server.HasTimeFor(kJobPoll)) return JobFate::kTaken;
    std::this_thread::sleep_for(kJobPoll);
  }
}

}  // namespace numerella
