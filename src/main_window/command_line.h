// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line: an optional calculation file to read at start-up,
// --help and --version.
#pragma once

#include <QString>
#include <QStringList>

namespace numerella {

struct StartRequest {
  enum class Kind {
    kOpen,     // open the window; file, when not empty, is read in as File > Lettura would
    kHelp,     // print text on standard output and end
    kVersion,  // print text on standard output and end
    kError,    // print text on standard error and end with a failure
  };
  Kind kind = Kind::kOpen;
  QString file;
  QString text;
};

// Reads the arguments (the program's name first). The application's name and version must be
// set already: --help and --version show them.
StartRequest ParseStartArguments(const QStringList& arguments);

}  // namespace numerella
