// SPDX-License-Identifier: GPL-3.0-or-later
// The window's start-up time and memory, offscreen:
//   window_bench            prints main_to_shown_ms=..., rss_* = ... for the run report, and
//                           the CPU time of a keystroke in a short and in a 64 KiB formula
//   window_bench --startup  shows the window and quits (run.sh times whole processes)
// The 10,000 calculations mix results, compile errors (with and without the listing) and
// failed evaluations; every dialog they raise is answered at once.
#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <string>
#include <vector>

#include "main_window/frm_main.h"
#include "platform/unattended_platform_services.h"
#include "resident_memory.h"

namespace {

const char* const kFormulas[] = {
    "2*(3+4)^2", "SIN(0.5)^2+COS(0.5)^2",     "1/0",     "(1+",    "C_N(1.96,0,1)",
    "x+1",       "SUM(1,2,3,4,5,6,7,8,9,10)", "LOG(-1)", "GAM(5)", "D_B(3,10,0.3)+C_T(2.015,5)",
};

void RunCalculations(numerella::FrmMain& window, QPlainTextEdit& box, QAction& listing, int n) {
  for (int i = 0; i < n; ++i) {
    if (i % 100 == 0) listing.setChecked(!listing.isChecked());
    box.setPlainText(QString::fromLatin1(kFormulas[i % std::size(kFormulas)]));
    window.RunCalculation();
    if (i % 50 == 0) QApplication::processEvents();
  }
}

double ProcessCpuMs() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The median CPU time of one typed character at the end of a formula of `length` characters
// in the expression box, the window shown and repainted after each key as on a desktop.
double KeystrokeMedianMs(QWidget& window, QPlainTextEdit& box, int length, int keys) {
  QString formula;
  while (formula.size() + 2 < length) formula += QStringLiteral("1+");
  formula += QStringLiteral("1");
  box.setPlainText(formula);
  box.moveCursor(QTextCursor::End);
  box.setFocus();
  QApplication::processEvents();
  std::vector<double> times;
  for (int i = 0; i < keys; ++i) {
    const double start = ProcessCpuMs();
    QKeyEvent press(QEvent::KeyPress, i % 2 == 0 ? Qt::Key_Plus : Qt::Key_1, Qt::NoModifier,
                    i % 2 == 0 ? QStringLiteral("+") : QStringLiteral("1"));
    QApplication::sendEvent(&box, &press);
    window.repaint();
    QApplication::processEvents();
    times.push_back(ProcessCpuMs() - start);
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Typing into a 64 KiB formula (the longest field a calculation file keeps) against typing
// into a short one, measured in the same run.
void PrintKeystrokeTimes(QWidget& window, QPlainTextEdit& box) {
  const double short_ms = KeystrokeMedianMs(window, box, 20, 41);
  // With the typing help at work: its preview at every key up to 4,096 characters, after the
  // pause beyond.
  const double ms_1000 = KeystrokeMedianMs(window, box, 1000, 21);
  const double ms_32767 = KeystrokeMedianMs(window, box, 32767, 21);
  const double long_ms = KeystrokeMedianMs(window, box, 64 * 1024, 21);
  std::printf(
      "keystroke_20_chars_ms=%.3f keystroke_1000_chars_ms=%.3f keystroke_32767_chars_ms=%.3f "
      "keystroke_64KiB_ms=%.3f keystroke_ratio=%.1f\n",
      short_ms, ms_1000, ms_32767, long_ms, long_ms / short_ms);
}

}  // namespace

int main(int argc, char** argv) {
  const auto start = std::chrono::steady_clock::now();
  QApplication app(argc, argv);
  numerella::UnattendedPlatformServices platform;
  numerella::FrmMain window(platform);
  window.show();
  QApplication::processEvents();
  const double shown_ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  if (argc > 1 && std::strcmp(argv[1], "--startup") == 0) return 0;

  auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("TxtExp"));
  auto* listing = window.findChild<QAction*>(QStringLiteral("MnuSerLis"));
  if (box == nullptr || listing == nullptr) return 1;
  const long after_start = ResidentKiB();
  RunCalculations(window, *box, *listing, 1000);
  const long after_1000 = ResidentKiB();
  const auto calc_start = std::chrono::steady_clock::now();
  RunCalculations(window, *box, *listing, 9000);
  const double per_calc_us =
      std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - calc_start)
          .count() /
      9000;
  const long after_10000 = ResidentKiB();
  std::printf(
      "main_to_shown_ms=%.1f rss_after_start_KiB=%ld rss_after_1000_calculations_KiB=%ld "
      "rss_after_10000_calculations_KiB=%ld window_calculation_us=%.1f\n",
      shown_ms, after_start, after_1000, after_10000, per_calc_us);
  PrintKeystrokeTimes(window, *box);
  return 0;
}
