// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line.
#include "main_window/command_line.h"

#include <QByteArray>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>
#include <string_view>

namespace numerella {

ProgramArguments::ProgramArguments(int argc, char** argv) {
  int i = 0;
  for (; i < argc && std::string_view(argv[i]) != "--"; ++i) qt_argv_.push_back(argv[i]);
  qt_argc_ = i;
  qt_argv_.push_back(nullptr);
  has_end_ = i < argc;
  for (++i; i < argc; ++i) after_end_.emplace_back(argv[i]);
}

std::vector<std::string> ProgramArguments::Own() const {
  std::vector<std::string> own(qt_argv_.begin(), qt_argv_.begin() + qt_argc_);
  if (has_end_) own.emplace_back("--");
  own.insert(own.end(), after_end_.begin(), after_end_.end());
  return own;
}

namespace {

// The words as the parser reads them. A word that may be a file name becomes one character
// per byte (Latin-1), so that the name comes back with exactly the bytes it had, whatever
// their encoding; an option is decoded as the system encodes text, so that a mistyped one is
// shown as it was typed.
QStringList ParserWords(const std::vector<std::string>& arguments) {
  QStringList words;
  bool options_ended = false;
  for (const std::string& word : arguments) {
    const QByteArray bytes = QByteArray::fromStdString(word);
    const bool option = !options_ended && word.size() > 1 && word.front() == '-';
    if (word == "--") options_ended = true;
    words << (option ? QString::fromLocal8Bit(bytes) : QString::fromLatin1(bytes));
  }
  return words;
}

}  // namespace

StartRequest ParseStartArguments(const std::vector<std::string>& arguments) {
  QCommandLineParser parser;
  parser.setApplicationDescription(
      QStringLiteral("Calcolatrice scientifica: calcola formule con funzioni intrinseche e "
                     "statistiche."));
  // Qt's own --help and --version come with English descriptions; these are the same options.
  const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")},
                                QStringLiteral("Mostra questo aiuto ed esce."));
  const QCommandLineOption version({QStringLiteral("v"), QStringLiteral("version")},
                                   QStringLiteral("Mostra la versione ed esce."));
  parser.addOption(help);
  parser.addOption(version);
  parser.addPositionalArgument(QStringLiteral("file"),
                               QStringLiteral("File di calcolo (.nmr) da leggere all'avvio."),
                               QStringLiteral("[file]"));
  StartRequest request;
  if (!parser.parse(ParserWords(arguments))) {
    request.kind = StartRequest::Kind::kError;
    request.text = parser.errorText();
  } else if (parser.isSet(help)) {
    request.kind = StartRequest::Kind::kHelp;
    request.text = parser.helpText();
  } else if (parser.isSet(version)) {
    request.kind = StartRequest::Kind::kVersion;
    request.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                   QCoreApplication::applicationVersion() + QLatin1Char('\n');
  } else if (parser.positionalArguments().size() > 1) {
    request.kind = StartRequest::Kind::kError;
    request.text = QStringLiteral("Si pu\u00F2 leggere un solo file di calcolo.");
  } else if (!parser.positionalArguments().isEmpty()) {
    request.file = parser.positionalArguments().front().toLatin1().toStdString();
  }
  return request;
}

}  // namespace numerella
