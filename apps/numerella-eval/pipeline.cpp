// SPDX-License-Identifier: GPL-3.0-or-later
// Formulas computed by several threads, written in input order.
#include "pipeline.h"

namespace numerella::cli {

Pipeline::Pipeline(const Options& options, Output& out, Output& err)
    : out_(out), err_(err), ring_(2 * static_cast<std::size_t>(options.jobs) + 1) {
  try {
    for (int i = 0; i < options.jobs; ++i) {
      runners_.push_back(std::make_unique<FormulaRunner>(options));
      workers_.emplace_back([this, &runner = *runners_.back()] { Work(runner); });
    }
  } catch (...) {
    Stop();  // the threads already started
    throw;
  }
}

Pipeline::~Pipeline() { Stop(); }

void Pipeline::Stop() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  work_ready_.notify_all();
  for (std::thread& worker : workers_) worker.join();
}

void Pipeline::Work(FormulaRunner& runner) {
  for (;;) {
    Batch* batch;
    {
      std::unique_lock lock(mutex_);
      work_ready_.wait(lock, [this] { return stopping_ || queued_ > 0; });
      if (stopping_) return;
      batch = &ring_[next_take_];
      next_take_ = (next_take_ + 1) % ring_.size();
      --queued_;
    }
    bool all_computed = true;
    std::uint32_t start = 0;
    for (const std::uint32_t end : batch->ends) {
      const std::string_view line(batch->input.data() + start, end - start);
      all_computed &= runner.Run(line, batch->out, batch->err);
      start = end;
    }
    {
      std::lock_guard lock(mutex_);
      batch->failed = !all_computed;
      batch->state = Batch::State::kDone;
    }
    batch_done_.notify_all();
  }
}

void Pipeline::Add(std::string_view line) {
  Batch& batch = ring_[filling_];
  batch.input.append(line);
  batch.ends.push_back(static_cast<std::uint32_t>(batch.input.size()));
  // Each line counts with its line end, so that a batch of empty lines is bounded too.
  if (batch.input.size() + batch.ends.size() >= kBatchBytes) Submit();
}

void Pipeline::Submit() {
  if (ring_[filling_].ends.empty()) return;
  {
    std::lock_guard lock(mutex_);
    ring_[filling_].state = Batch::State::kQueued;
    ++queued_;
  }
  work_ready_.notify_one();
  filling_ = (filling_ + 1) % ring_.size();
  ++in_flight_;
  // The slot to fill next must be free; meanwhile write what is already done.
  if (in_flight_ == ring_.size()) WriteOldest();
  while (in_flight_ > 0 && OldestDone()) WriteOldest();
}

bool Pipeline::OldestDone() {
  std::lock_guard lock(mutex_);
  return ring_[oldest_].state == Batch::State::kDone;
}

void Pipeline::WriteOldest() {
  Batch& batch = ring_[oldest_];
  {
    std::unique_lock lock(mutex_);
    batch_done_.wait(lock, [&batch] { return batch.state == Batch::State::kDone; });
  }
  err_.buffer() += batch.err;
  out_.buffer() += batch.out;
  failed_ |= batch.failed;
  batch.input.clear();
  batch.ends.clear();
  batch.out.clear();
  batch.err.clear();
  batch.failed = false;
  batch.state = Batch::State::kFilling;
  oldest_ = (oldest_ + 1) % ring_.size();
  --in_flight_;
  err_.FlushIfFull();
  out_.FlushIfFull();
}

void Pipeline::Drain() {
  Submit();
  while (in_flight_ > 0) WriteOldest();
}

}  // namespace numerella::cli
