// SPDX-License-Identifier: GPL-3.0-or-later
// The window program's command line, read by hand so that every text it shows is Italian.
#include "main_window/command_line.h"

#include <QCoreApplication>
#include <array>
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

// The options of Qt's windowing and widget layers, with one dash or two, and whether the
// next word is their value ("-style fusion"; "-style=fusion" carries it in the same word).
struct QtOption {
  std::string_view name;
  bool takes_value;
};
constexpr std::array kQtOptions = {QtOption{"platform", true},
                                   QtOption{"platformpluginpath", true},
                                   QtOption{"platformtheme", true},
                                   QtOption{"plugin", true},
                                   QtOption{"qwindowgeometry", true},
                                   QtOption{"qwindowicon", true},
                                   QtOption{"qwindowtitle", true},
                                   QtOption{"session", true},
                                   QtOption{"style", true},
                                   QtOption{"stylesheet", true},
                                   QtOption{"display", true},
                                   QtOption{"geometry", true},
                                   QtOption{"name", true},
                                   QtOption{"title", true},
                                   QtOption{"reverse", false},
                                   QtOption{"widgetcount", false},
                                   QtOption{"nograb", false},
                                   QtOption{"dograb", false},
                                   QtOption{"qmljsdebugger", false}};

// The Qt option a word names (nullptr when it is none).
const QtOption* QtOptionOf(std::string_view word) {
  if (word.size() < 2 || word[0] != '-') return nullptr;
  word.remove_prefix(word[1] == '-' ? 2 : 1);
  word = word.substr(0, word.find('='));
  for (const QtOption& option : kQtOptions) {
    if (option.name == word) return &option;
  }
  return nullptr;
}

QString HelpText() {
  return QStringLiteral(
      "Uso: numerella [opzioni] [--] [file]\n"
      "\n"
      "Calcolatrice scientifica: calcola formule con funzioni intrinseche e statistiche.\n"
      "\n"
      "Opzioni:\n"
      "  -h, --help     Mostra questo aiuto ed esce.\n"
      "  -v, --version  Mostra la versione ed esce.\n"
      "  --             Fine delle opzioni: la parola che segue \u00E8 il file, anche se\n"
      "                 comincia con \"-\".\n"
      "\n"
      "Argomenti:\n"
      "  file           File di calcolo (.nmr) da leggere all'avvio.\n"
      "\n"
      "Prima di \"--\" valgono anche le opzioni standard di Qt (per esempio -platform,\n"
      "-style, -reverse).\n");
}

StartRequest Mistake(const QString& text) {
  StartRequest request;
  request.kind = StartRequest::Kind::kError;
  request.text = text;
  return request;
}

}  // namespace

StartRequest ParseStartArguments(const std::vector<std::string>& arguments) {
  StartRequest request;
  std::vector<std::string> files;
  bool options_ended = false;
  for (std::size_t i = 1; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (options_ended || word.size() < 2 || word.front() != '-') {
      files.push_back(word);  // a name keeps its bytes, whatever their encoding
    } else if (word == "--") {
      options_ended = true;
    } else if (word == "-h" || word == "--help") {
      if (request.kind == StartRequest::Kind::kOpen) request.kind = StartRequest::Kind::kHelp;
    } else if (word == "-v" || word == "--version") {
      if (request.kind == StartRequest::Kind::kOpen) request.kind = StartRequest::Kind::kVersion;
    } else if (const QtOption* qt = QtOptionOf(word); qt != nullptr) {
      // Left for the application object, which takes it (and its value) itself.
      if (qt->takes_value && word.find('=') == std::string::npos) ++i;
    } else {
      // An option is shown as the system encodes text, so that it reads as it was typed.
      return Mistake(
          QStringLiteral("opzione sconosciuta: %1 (l'uso: numerella --help)")
              .arg(QString::fromLocal8Bit(word.data(), static_cast<qsizetype>(word.size()))));
    }
  }
  if (request.kind == StartRequest::Kind::kHelp) {
    request.text = HelpText();
  } else if (request.kind == StartRequest::Kind::kVersion) {
    request.text = QCoreApplication::applicationName() + QLatin1Char(' ') +
                   QCoreApplication::applicationVersion() + QLatin1Char('\n');
  } else if (files.size() > 1) {
    return Mistake(QStringLiteral("Si pu\u00F2 leggere un solo file di calcolo."));
  } else if (!files.empty()) {
    request.file = files.front();
  }
  return request;
}

}  // namespace numerella
