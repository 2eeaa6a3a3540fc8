// SPDX-License-Identifier: GPL-3.0-or-later
// numerella-eval: the command line, then the run.
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <vector>

#include "cli.h"
#include "options.h"
#include "output.h"

namespace {

// Writes a fixed text to standard output: 0, or the write-error status with a message.
int WriteText(const char* text) {
  numerella::cli::Output out(STDOUT_FILENO, true);
  out.buffer() = text;
  try {
    out.Flush();
  } catch (const numerella::cli::WriteFailed& failure) {
    if (failure.error == EPIPE) return numerella::cli::kWriteError;
    const std::string message =
        std::string("numerella-eval: standard output: ") + std::strerror(failure.error) + "\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, message.data(), message.size());
    return numerella::cli::kWriteError;
  }
  return numerella::cli::kAllComputed;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string error;
  const auto options = numerella::cli::ParseArguments(args, error);
  if (!options) {
    const std::string message = "numerella-eval: " + error + " (see numerella-eval --help)\n";
    [[maybe_unused]] const ssize_t n = write(STDERR_FILENO, message.data(), message.size());
    return numerella::cli::kUsageError;
  }
  if (options->help) return WriteText(numerella::cli::kUsage);
  if (options->version) return WriteText(numerella::cli::kVersion);
  return numerella::cli::Run(*options, STDIN_FILENO, STDOUT_FILENO, STDERR_FILENO);
}
