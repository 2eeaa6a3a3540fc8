// SPDX-License-Identifier: GPL-3.0-or-later
// Runs the built numerella-eval as its own process with a chosen standard input and output,
// resource limits and signal dispositions, and collects what it did.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace numerella::cli::test {

struct Launch {
  std::vector<std::string> args;
  // Standard input: the bytes of `input`, or what `feed` writes to the given descriptor
  // (a pipe), or the file `input_path` opened for reading.
  std::string input;
  std::function<void(int fd)> feed;
  std::string input_path;
  // Standard output: a pipe read to the end, or the file `output_path` opened for writing.
  std::string output_path;
  std::size_t keep_output = std::string::npos;  // bytes of the output to keep (the rest counted)
  std::size_t close_output_after = std::string::npos;  // close the pipe after so many bytes
  // A conversation instead: gets the writing end of standard input and the reading end of
  // standard output, on the calling thread; both are closed after it.
  std::function<void(int in_fd, int out_fd)> converse;
  long file_size_limit = -1;  // RLIMIT_FSIZE in bytes, with SIGXFSZ ignored
  bool ignore_sigpipe = false;
  bool unprivileged = false;  // when run as root, drop to the user "nobody"
  bool close_input = false;   // start with standard input closed
  bool nonblocking = false;   // standard input and output set to non-blocking
  bool no_threads = false;    // RLIMIT_NPROC 1 (with unprivileged): no thread can start
};

struct Finished {
  int status = -1;  // the exit status, or -1 when a signal ended it
  int signal = 0;
  std::string out, err;
  std::size_t out_bytes = 0;
  long peak_kib = 0;  // peak resident memory of the program, as last seen while it ran
};

Finished RunEval(const Launch& launch);

}  // namespace numerella::cli::test
