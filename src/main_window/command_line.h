// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line: an optional calculation file to read at start-up,
// --help and --version. File names keep the bytes they were given, in whatever encoding.
#pragma once

#include <QString>
#include <string>
#include <vector>

namespace numerella {

struct StartRequest {
  enum class Kind {
    kOpen,     // open the window; file, when not empty, is read in as File > Lettura would
    kHelp,     // print text on standard output and end
    kVersion,  // print text on standard output and end
    kError,    // print text on standard error and end with a failure
  };
  Kind kind = Kind::kOpen;
  std::string file;  // the name's bytes, as the system gave them
  QString text;
};

// The program's arguments split at the first "--". Qt takes its own options (-reverse,
// -style, -platform ...) wherever they stand, so it is shown only the words before "--": the
// ones after it are file names, also when they look like options.
class ProgramArguments {
 public:
  ProgramArguments(int argc, char** argv);

  // What to hand to the application object, which removes the options it takes.
  int& QtArgc() { return qt_argc_; }
  char** QtArgv() { return qt_argv_.data(); }
  // The words Qt left, then "--" and the words after it: the program's own arguments.
  std::vector<std::string> Own() const;

 private:
  int qt_argc_ = 0;
  std::vector<char*> qt_argv_;  // ends with a null pointer, as argv does
  std::vector<std::string> after_end_;
  bool has_end_ = false;
};

// Reads the arguments (the program's name first), as raw bytes. The application's name and
// version must be set already: --help and --version show them. Every text is Italian. Qt's
// own options (with their values) are passed over, so that the arguments can be read before
// the application object takes them: help and mistakes then need no display.
StartRequest ParseStartArguments(const std::vector<std::string>& arguments);

}  // namespace numerella
