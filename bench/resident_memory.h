// SPDX-License-Identifier: GPL-3.0-or-later
// The memory a benchmark's process holds in RAM, as the kernel counts it.
#pragma once

#include <fstream>
#include <string>

// The resident set size in KiB (VmRSS of /proc/self/status), or -1 when it cannot be read.
inline long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}
