// SPDX-License-Identifier: GPL-3.0-or-later
// The terminal session through GNU Readline's callback interface. Readline is given one key
// at a time, and only while the program waits for keys; signals are blocked at all other
// times, so that Ctrl+C, a resize, a stop or an end by signal is dealt with between keys,
// with the terminal in a known state.
#include "terminal.h"

#include <readline/history.h>
#include <readline/readline.h>
#include <sys/select.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>
#include <string>

#include "compiler/compiled_program.h"
#include "history_file.h"

namespace numerella::cli {
namespace {

constexpr char kPrompt[] = "> ";

// Readline asks for the matches one at a time; state 0 starts a new completion.
char* NextFunctionName(const char* text, int state) {
  static std::size_t next = 0;
  if (state == 0) next = 0;
  while (next < kIntrinsics.size()) {
    const std::string_view name = kIntrinsics[next++].name;
    if (NameBeginsWith(name, text)) return strndup(name.data(), name.size());
  }
  return nullptr;
}

char** CompleteFunctionName(const char* text, int /*start*/, int /*end*/) {
  rl_attempted_completion_over = 1;      // function names only, never file names
  rl_completion_append_character = '(';  // a single match becomes the start of a call
  char** matches = rl_completion_matches(text, NextFunctionName);
  // With several matches the common part keeps the case typed, so that the line is unchanged
  // and a second Tab lists the matches.
  if (matches != nullptr && matches[1] != nullptr) {
    std::memcpy(matches[0], text, std::strlen(text));
  }
  return matches;
}

// Every byte but the letters, digits and "_" of a name ends the word being completed.
const char* WordBreaks() {
  static const std::string breaks = [] {
    std::string s;
    for (int c = 1; c < 256; ++c) {
      if (std::isalnum(c) == 0 && c != '_') s += static_cast<char>(c);
    }
    return s;
  }();
  return breaks.c_str();
}

// The signals the session deals with itself, and which of them have arrived.
constexpr int kSignals[] = {SIGINT, SIGWINCH, SIGTSTP, SIGHUP, SIGTERM, SIGQUIT};
constexpr std::size_t kSignalCount = std::size(kSignals);
volatile std::sig_atomic_t g_caught[kSignalCount];

void Catch(int sig) {
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (kSignals[i] == sig) g_caught[i] = 1;
  }
}

// Blocks the session's signals and catches them; restores both at its end. A signal that
// was ignored stays ignored.
class SignalGuard {
 public:
  SignalGuard() {
    sigset_t set;
    sigemptyset(&set);
    for (const int sig : kSignals) sigaddset(&set, sig);
    sigprocmask(SIG_BLOCK, &set, &waiting_);
    for (std::size_t i = 0; i < kSignalCount; ++i) {
      g_caught[i] = 0;
      sigaction(kSignals[i], nullptr, &before_[i]);
      if (before_[i].sa_handler != SIG_IGN) Install(kSignals[i], Catch);
    }
  }
  ~SignalGuard() {
    for (std::size_t i = 0; i < kSignalCount; ++i) sigaction(kSignals[i], &before_[i], nullptr);
    sigprocmask(SIG_SETMASK, &waiting_, nullptr);
  }
  SignalGuard(const SignalGuard&) = delete;
  SignalGuard& operator=(const SignalGuard&) = delete;

  // The signal mask while waiting for a key: the one from before the session.
  const sigset_t* waiting() const { return &waiting_; }

  // Lets sig take its default action now (to stop or to end the program), then catches it
  // again when the program goes on.
  static void TakeDefault(int sig) {
    Install(sig, SIG_DFL);
    sigset_t one;
    sigemptyset(&one);
    sigaddset(&one, sig);
    raise(sig);
    sigprocmask(SIG_UNBLOCK, &one, nullptr);
    sigprocmask(SIG_BLOCK, &one, nullptr);
    Install(sig, Catch);
  }

 private:
  static void Install(int sig, void (*handler)(int)) {
    struct sigaction action = {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    sigaction(sig, &action, nullptr);
  }

  sigset_t waiting_;
  struct sigaction before_[kSignalCount];
};

class Session {
 public:
  Session(Output& err, const SignalGuard& signals);
  ~Session();
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  // Shows the prompt and lets the user edit a line. False when the input has ended.
  bool Next(std::string& line);
  HistoryFile& history() { return history_; }

 private:
  enum class State { kEditing, kEntered, kEnded };

  static void OnLine(char* line);
  void WaitForKey();
  void HandleSignals();
  void ClearLine();

  static Session* current_;  // readline calls back into the one session
  const SignalGuard& signals_;
  HistoryFile history_;
  State state_ = State::kEditing;
  std::string entered_;
};

Session* Session::current_ = nullptr;

Session::Session(Output& err, const SignalGuard& signals) : signals_(signals), history_(err) {
  current_ = this;
  rl_readline_name = "numerella-eval";  // for "$if numerella-eval" in ~/.inputrc
  rl_catch_signals = 0;
  rl_catch_sigwinch = 0;
  rl_initialize();
  // Formulas are bytes: each byte typed goes into the line as it is, never as a Meta key.
  rl_variable_bind("input-meta", "on");
  rl_variable_bind("output-meta", "on");
  rl_variable_bind("convert-meta", "off");
  rl_completer_word_break_characters = WordBreaks();
  rl_attempted_completion_function = CompleteFunctionName;
}

Session::~Session() {
  rl_callback_handler_remove();
  current_ = nullptr;
}

bool Session::Next(std::string& line) {
  state_ = State::kEditing;
  rl_callback_handler_install(kPrompt, OnLine);
  while (state_ == State::kEditing) WaitForKey();
  if (state_ == State::kEnded) {
    // The shell's prompt goes on a line of its own. Readline has moved there itself when it
    // ends bracketed paste mode, which it turns on where the terminal allows.
    const char* paste = rl_variable_value("enable-bracketed-paste");
    if (paste == nullptr || std::strcmp(paste, "on") != 0) {
      std::fputs("\n", rl_outstream);
      std::fflush(rl_outstream);
    }
    return false;
  }
  line.swap(entered_);
  return true;
}

void Session::OnLine(char* line) {
  Session& session = *current_;
  rl_callback_handler_remove();  // the answer is written before the next prompt
  if (line == nullptr) {
    session.state_ = State::kEnded;
    return;
  }
  session.entered_ = line;
  std::free(line);
  session.state_ = State::kEntered;
}

void Session::WaitForKey() {
  fd_set keys;
  FD_ZERO(&keys);
  FD_SET(STDIN_FILENO, &keys);
  const int ready = pselect(STDIN_FILENO + 1, &keys, nullptr, nullptr, nullptr, signals_.waiting());
  if (ready < 0 && errno != EINTR) {
    rl_callback_handler_remove();
    state_ = State::kEnded;
    return;
  }
  HandleSignals();
  if (ready > 0 && state_ == State::kEditing) rl_callback_read_char();
}

void Session::HandleSignals() {
  for (std::size_t i = 0; i < kSignalCount; ++i) {
    if (g_caught[i] == 0) continue;
    g_caught[i] = 0;
    const int sig = kSignals[i];
    if (sig == SIGWINCH) {
      rl_resize_terminal();
    } else if (sig == SIGINT) {
      ClearLine();
    } else if (sig == SIGTSTP) {
      rl_cleanup_after_signal();  // the terminal as the shell expects it while stopped
      SignalGuard::TakeDefault(sig);
      rl_reset_after_signal();
      rl_forced_update_display();
    } else {
      rl_callback_handler_remove();  // the terminal as it was, then the end the signal asks
      SignalGuard::TakeDefault(sig);
    }
  }
}

// Ctrl+C: the line being edited is dropped and a new prompt starts on the next line.
void Session::ClearLine() {
  rl_free_line_state();
  rl_callback_sigcleanup();
  rl_echo_signal_char(SIGINT);
  rl_callback_handler_remove();
  std::fputs("\n", rl_outstream);
  rl_replace_line("", 0);
  using_history();
  rl_callback_handler_install(kPrompt, OnLine);
}

}  // namespace

bool AtTerminal(int in_fd, int out_fd) {
  // Readline reads standard input and writes standard output.
  return in_fd == STDIN_FILENO && out_fd == STDOUT_FILENO && isatty(in_fd) == 1 &&
         isatty(out_fd) == 1;
}

void ReadTerminal(const std::function<void(std::string_view)>& compute, Output& err) {
  const SignalGuard signals;
  Session session(err, signals);
  std::string entered;
  while (session.Next(entered)) {
    std::string_view rest = entered;
    for (;;) {
      const std::size_t end = rest.find('\n');
      std::string_view line = rest.substr(0, end);
      if (end != std::string_view::npos && !line.empty() && line.back() == '\r') {
        line.remove_suffix(1);  // as a line of a file: a carriage return before the end goes
      }
      session.history().Add(line);
      compute(line);
      if (end == std::string_view::npos) break;
      rest.remove_prefix(end + 1);
    }
  }
}

}  // namespace numerella::cli
