// SPDX-License-Identifier: GPL-3.0-or-later
// Formulas computed by several threads: lines are gathered into batches, each batch is
// computed by one worker, and the batches are written in input order, so the output is the
// same byte for byte as one thread's.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "formula_runner.h"
#include "options.h"
#include "output.h"

namespace numerella::cli {

class Pipeline {
 public:
  // Throws std::system_error when the threads cannot be started.
  Pipeline(const Options& options, Output& out, Output& err);
  ~Pipeline();  // stops the workers; batches not yet written are dropped
  Pipeline(const Pipeline&) = delete;
  Pipeline& operator=(const Pipeline&) = delete;

  // Queues one line for computing (the bytes are copied).
  void Add(std::string_view line);
  // Computes every queued line and writes the outputs in order (not flushed).
  void Drain();
  // Whether a formula written so far failed.
  bool failed() const { return failed_; }

 private:
  // Input bytes gathered into one batch before it is handed to a worker.
  static constexpr std::size_t kBatchBytes = 16 * 1024;

  struct Batch {
    enum class State { kFilling, kQueued, kDone };
    State state = State::kFilling;
    std::string input;                // the lines, back to back
    std::vector<std::uint32_t> ends;  // the end of each line in input
    std::string out, err;
    bool failed = false;
  };

  void Work(FormulaRunner& runner);
  // Ends every worker thread and waits for it.
  void Stop();
  // Hands the batch being filled to the workers and makes the next slot free to fill.
  void Submit();
  bool OldestDone();
  // Waits for the oldest batch in flight and writes it.
  void WriteOldest();

  Output& out_;
  Output& err_;
  std::vector<Batch> ring_;
  std::size_t oldest_ = 0;   // ring index: the oldest batch not yet written
  std::size_t filling_ = 0;  // ring index: the batch being filled
  std::size_t in_flight_ = 0;
  std::size_t next_take_ = 0;  // ring index: the next queued batch a worker takes
  std::size_t queued_ = 0;     // batches queued and not yet taken
  bool stopping_ = false;
  bool failed_ = false;
  std::mutex mutex_;
  std::condition_variable work_ready_, batch_done_;
  std::vector<std::unique_ptr<FormulaRunner>> runners_;
  std::vector<std::thread> workers_;
};

}  // namespace numerella::cli
