// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line.
#include "main_window/command_line.h"

#include <QCommandLineParser>
#include <QCoreApplication>

namespace numerella {

StartRequest ParseStartArguments(const QStringList& arguments) {
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
  if (!parser.parse(arguments)) {
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
    request.file = parser.positionalArguments().front();
  }
  return request;
}

}  // namespace numerella
