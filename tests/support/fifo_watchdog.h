// SPDX-License-Identifier: GPL-3.0-or-later
// Guards a test that must not block on a FIFO: unless Stop() comes within five seconds, the
// watchdog opens the FIFO as a writer, which releases a reader blocked in open, and Stop()
// then returns true ("had to step in") so that the test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <future>
#include <string>

namespace numerella {

class FifoWatchdog {
 public:
  explicit FifoWatchdog(const std::string& fifo)
      : stepped_in_(std::async(std::launch::async, [this, fifo] {
          if (stop_.wait_for(std::chrono::seconds(5)) == std::future_status::ready) return false;
          ::close(::open(fifo.c_str(), O_RDWR | O_NONBLOCK));
          return true;
        })) {}
  ~FifoWatchdog() { Stop(); }

  bool Stop() {
    if (stepped_in_.valid()) stopping_.set_value(), result_ = stepped_in_.get();
    return result_;
  }

 private:
  std::promise<void> stopping_;
  std::shared_future<void> stop_ = stopping_.get_future().share();
  std::future<bool> stepped_in_;  // last: the watch starts once the members it uses exist
  bool result_ = false;
};

}  // namespace numerella
