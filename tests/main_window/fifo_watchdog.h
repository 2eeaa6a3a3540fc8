// SPDX-License-Identifier: GPL-3.0-or-later
// Guards a test that must not block on a FIFO: if the test has not called Stop() within five
// seconds, the watchdog opens the FIFO as a writer, which releases a reader blocked in open,
// and Stop() then returns true ("had to step in") so that the test fails instead of hanging.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace numerella {

class FifoWatchdog {
 public:
  explicit FifoWatchdog(std::string fifo)
      : fifo_(std::move(fifo)), thread_([this] {
          std::unique_lock lock(mutex_);
          if (!stopped_cv_.wait_for(lock, std::chrono::seconds(5), [this] { return stopped_; })) {
            stepped_in_ = true;
            ::close(::open(fifo_.c_str(), O_RDWR | O_NONBLOCK));
          }
        }) {}
  ~FifoWatchdog() { Stop(); }
  FifoWatchdog(const FifoWatchdog&) = delete;
  FifoWatchdog& operator=(const FifoWatchdog&) = delete;

  bool Stop() {
    {
      std::lock_guard lock(mutex_);
      stopped_ = true;
    }
    stopped_cv_.notify_one();
    if (thread_.joinable()) thread_.join();
    return stepped_in_;
  }

 private:
  std::string fifo_;
  std::mutex mutex_;
  std::condition_variable stopped_cv_;
  bool stopped_ = false;
  bool stepped_in_ = false;
  std::thread thread_;  // last: starts once the members it uses exist
};

}  // namespace numerella
