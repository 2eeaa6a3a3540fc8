// SPDX-License-Identifier: GPL-3.0-or-later
// The lines typed at the terminal, kept between sessions in the user's state folder:
// $XDG_STATE_HOME/numerella/history, or ~/.local/state/numerella/history when XDG_STATE_HOME
// is unset or not an absolute path.
#pragma once

#include <string>
#include <string_view>

#include "output.h"

namespace numerella::cli {

class HistoryFile {
 public:
  // The most lines kept, in memory and in the file.
  static constexpr int kMaxLines = 1000;

  // Creates the folder when missing (mode 0700) and loads the earlier lines into the line
  // editor's history. A file that cannot be read or written is reported once on err; the
  // session goes on with the history of this session only.
  explicit HistoryFile(Output& err);
  // Cuts the file down to the newest kMaxLines lines.
  ~HistoryFile();
  HistoryFile(const HistoryFile&) = delete;
  HistoryFile& operator=(const HistoryFile&) = delete;

  // Adds an entered line to the history and appends it to the file at once, so that a
  // session that ends abruptly loses nothing. Blank lines and repeats of the newest line are
  // not kept.
  void Add(std::string_view line);

 private:
  void Report(const std::string& name, int error);

  Output& err_;
  std::string path_;  // empty without a home folder: the history is not kept
  bool reported_ = false;
  bool added_ = false;
};

// Where the history file lies, from the environment; empty when neither XDG_STATE_HOME nor
// HOME is an absolute path.
std::string HistoryPath();

}  // namespace numerella::cli
