// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval: the run over the sources of formulas, and how it reports what went wrong.
#include "cli.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <system_error>

#include "formula_runner.h"
#include "json_output.h"
#include "line_reader.h"
#include "long_line.h"
#include "output.h"
#include "pipeline.h"
#include "terminal.h"

namespace numerella::cli {
namespace {

class Driver {
 public:
  Driver(const Options& options, int in_fd, int out_fd, int err_fd)
      : options_(options),
        in_fd_(in_fd),
        out_fd_(out_fd),
        out_(out_fd, true),
        err_(err_fd, false),
        runner_(options) {}

  int Run();

 private:
  void Reached(int status) { status_ = std::max(status_, status); }
  void Computed(bool ok) {
    if (!ok) Reached(kSomeFailed);
  }
  void FlushAll() {
    err_.Flush();
    out_.Flush();
  }
  void ReportReadError(const std::string& name, const std::string& reason);
  bool IsOutputFile(int fd) const;
  void ReadFile(const std::string& name);
  void ReadStream(int fd, const std::string& name);
  LineReader::Result RunLongLine(LineReader& reader, std::string_view first);

  const Options& options_;
  int in_fd_;
  int out_fd_;
  Output out_;
  Output err_;
  FormulaRunner runner_;
  std::unique_ptr<Pipeline> pipeline_;  // with more than one job, for the lines of files
  bool single_thread_ = false;          // threads were asked for but could not be started
  int status_ = kAllComputed;
};

void Driver::ReportReadError(const std::string& name, const std::string& reason) {
  FlushAll();
  err_.buffer() += "numerella-eval: " + name + ": " + reason + "\n";
  err_.Flush();
  Reached(kReadError);
}

void Driver::ReadFile(const std::string& name) {
  if (name == "-") {
    ReadStream(in_fd_, "standard input");
    return;
  }
  const int fd = open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    ReportReadError(name, std::strerror(errno));
    return;
  }
  // Closed also when a failed write ends the run inside.
  const std::unique_ptr<const int, void (*)(const int*)> closer(&fd,
                                                                [](const int* f) { close(*f); });
  ReadStream(fd, name);
}

// Whether fd is the regular file that standard output writes to: reading it would read back
// the answers written to it, and with output appended to it the run would never end.
bool Driver::IsOutputFile(int fd) const {
  struct stat in = {};
  struct stat out = {};
  return fstat(out_fd_, &out) == 0 && S_ISREG(out.st_mode) && fstat(fd, &in) == 0 &&
         in.st_dev == out.st_dev && in.st_ino == out.st_ino;
}

void Driver::ReadStream(int fd, const std::string& name) {
  if (IsOutputFile(fd)) {
    ReportReadError(name, "input file is output file");
    return;
  }
  if (options_.jobs > 1 && !pipeline_ && !single_thread_) {
    try {
      pipeline_ = std::make_unique<Pipeline>(options_, out_, err_);
    } catch (const std::system_error&) {
      single_thread_ = true;  // the system gives no more threads: one does the same work
    }
  }
  // Answers are written whenever the input has nothing more to give at once, so a program
  // that sends one line and waits gets its answer.
  LineReader reader(fd, LongestKeptLine(options_.whole_formula), [this] {
    if (pipeline_) pipeline_->Drain();
    FlushAll();
  });
  for (;;) {
    std::string_view line;
    LineReader::Result result = reader.Next(line);
    if (result == LineReader::Result::kLine) {
      if (pipeline_) {
        pipeline_->Add(line);
      } else {
        Computed(runner_.Run(line, out_.buffer(), err_.buffer()));
        err_.FlushIfFull();
        out_.FlushIfFull();
      }
      continue;
    }
    if (pipeline_) pipeline_->Drain();
    if (result == LineReader::Result::kLongLine) result = RunLongLine(reader, line);
    if (result == LineReader::Result::kError) {
      ReportReadError(name, std::strerror(reader.error()));
    }
    if (result != LineReader::Result::kLine) break;
  }
  if (pipeline_ && pipeline_->failed()) Reached(kSomeFailed);
}

// A line longer than the reader keeps: its bytes pass through, the input text of a JSON
// object is written as they come, and a stand-in with the same outcome is computed.
LineReader::Result Driver::RunLongLine(LineReader& reader, std::string_view first) {
  LongLine line(options_.whole_formula);
  const auto take = [&](std::string_view bytes) {
    line.Add(bytes);
    if (options_.json) {
      AppendJsonEscaped(out_.buffer(), bytes);
      out_.FlushIfFull();
    }
  };
  if (options_.json) out_.buffer() += kJsonInputOpen;
  take(first);
  const LineReader::Result result = reader.Rest(take);
  const std::string stand_in = line.StandIn();
  const auto to_input = [&line](TextSpan span) { return line.ToInput(span); };
  Computed(options_.json ? runner_.RunJsonRest(stand_in, out_.buffer(), to_input)
                         : runner_.Run(stand_in, out_.buffer(), err_.buffer()));
  return result;
}

int Driver::Run() {
  try {
    if (options_.sources.empty() && AtTerminal(in_fd_, out_.fd())) {
      ReadTerminal(
          [this](std::string_view line) {
            Computed(runner_.Run(line, out_.buffer(), err_.buffer()));
            FlushAll();
          },
          err_);
    } else if (options_.sources.empty()) {
      ReadFile("-");
    }
    for (const Source& source : options_.sources) {
      if (source.kind == Source::Kind::kFile) {
        ReadFile(source.text);
      } else {
        Computed(runner_.Run(source.text, out_.buffer(), err_.buffer()));
        err_.FlushIfFull();
        out_.FlushIfFull();
      }
    }
    FlushAll();
  } catch (const WriteFailed& failure) {
    pipeline_.reset();
    // A reader that has gone away (a closed pipe) ends the run without a word.
    if (failure.error != EPIPE) {
      err_.buffer() +=
          std::string("numerella-eval: standard output: ") + std::strerror(failure.error) + "\n";
      err_.Flush();
    }
    return kWriteError;
  }
  return status_;
}

}  // namespace

int Run(const Options& options, int in_fd, int out_fd, int err_fd) {
  return Driver(options, in_fd, out_fd, err_fd).Run();
}

}  // namespace numerella::cli
