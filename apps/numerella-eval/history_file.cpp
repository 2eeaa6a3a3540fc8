// SPDX-License-Identifier: GPL-3.0-or-later
// The history of typed lines in the user's state folder, through GNU Readline's history list.
#include "history_file.h"

#include <fcntl.h>
#include <readline/history.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace numerella::cli {
namespace {

bool Absolute(const char* path) { return path != nullptr && path[0] == '/'; }

// Makes the folder and every missing folder above it, each readable by the user only.
// Returns 0, or the errno of the folder itself.
int MakeFolders(const std::string& folder) {
  for (std::size_t slash = folder.find('/', 1); slash != std::string::npos;
       slash = folder.find('/', slash + 1)) {
    mkdir(folder.substr(0, slash).c_str(), 0700);  // an existing folder is fine
  }
  return mkdir(folder.c_str(), 0700) == 0 || errno == EEXIST ? 0 : errno;
}

}  // namespace

std::string HistoryPath() {
  const char* state = std::getenv("XDG_STATE_HOME");
  if (Absolute(state)) return std::string(state) + "/numerella/history";
  const char* home = std::getenv("HOME");
  if (Absolute(home)) return std::string(home) + "/.local/state/numerella/history";
  return {};
}

HistoryFile::HistoryFile(Output& err) : err_(err), path_(HistoryPath()) {
  stifle_history(kMaxLines);
  if (path_.empty()) return;
  const std::string folder = path_.substr(0, path_.rfind('/'));
  if (const int error = MakeFolders(folder); error != 0) {
    Report(folder, error);
    return;
  }
  // A missing file is a first session; the file is made by the first line entered.
  if (const int error = read_history(path_.c_str()); error != 0 && error != ENOENT) {
    Report(path_, error);
  }
}

HistoryFile::~HistoryFile() {
  if (!added_) return;
  if (const int error = history_truncate_file(path_.c_str(), kMaxLines); error != 0) {
    Report(path_, error);
  }
}

void HistoryFile::Add(std::string_view line) {
  if (line.find_first_not_of(' ') == std::string_view::npos) return;
  const std::string text(line);
  const HIST_ENTRY* newest =
      history_length > 0 ? history_get(history_base + history_length - 1) : nullptr;
  if (newest != nullptr && text == newest->line) return;
  add_history(text.c_str());
  if (path_.empty()) return;
  const int fd = open(path_.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  const std::string record = text + "\n";
  const ssize_t written = fd < 0 ? -1 : write(fd, record.data(), record.size());
  if (written == static_cast<ssize_t>(record.size())) {
    added_ = true;
  } else {
    Report(path_, written < 0 ? errno : ENOSPC);  // a short write: the disk is full
  }
  if (fd >= 0) close(fd);
}

void HistoryFile::Report(const std::string& name, int error) {
  if (reported_) return;
  reported_ = true;
  err_.buffer() += "numerella-eval: " + name + ": " + std::strerror(error) + "\n";
  err_.Flush();
}

}  // namespace numerella::cli
