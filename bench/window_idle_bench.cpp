// SPDX-License-Identifier: GPL-3.0-or-later
// The window at rest with long formulas: the CPU time the whole process takes while nobody
// touches it (the cursor blinking, a selection on show), and its resident memory.
//   window_idle_bench [seconds]   (10 by default) prints one line per state:
//   state=... idle_cpu_percent=... rss_KiB=... rss_above_empty_KiB=...
// The states: the empty window; the longest formula that compiles pasted in, computed and
// selected whole; a 10 MB paste (refused); a 64 KiB formula read from a calculation file,
// computed (its compile error selects it whole).
#include <QApplication>
#include <QClipboard>
#include <QEventLoop>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <string>

#include "main_window/calculation_file.h"
#include "main_window/entry_boxes.h"
#include "main_window/frm_main.h"
#include "platform/unattended_platform_services.h"
#include "resident_memory.h"

namespace {

double ProcessCpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The share of one core the process used while its event loop ran on its own for `seconds`.
double IdleCpuPercent(double seconds) {
  QEventLoop settle;  // the paints and timers that the last action started
  QTimer::singleShot(500, &settle, &QEventLoop::quit);
  settle.exec();
  const double cpu = ProcessCpuSeconds();
  timespec start{};
  clock_gettime(CLOCK_MONOTONIC, &start);
  QEventLoop idle;
  QTimer::singleShot(static_cast<int>(seconds * 1000), &idle, &QEventLoop::quit);
  idle.exec();
  timespec end{};
  clock_gettime(CLOCK_MONOTONIC, &end);
  const double wall = static_cast<double>(end.tv_sec - start.tv_sec) +
                      static_cast<double>(end.tv_nsec - start.tv_nsec) / 1e9;
  return (ProcessCpuSeconds() - cpu) / wall * 100;
}

QString Formula(qsizetype length) {
  QString formula;
  while (formula.size() + 2 <= length) formula += QStringLiteral("1+");
  while (formula.size() < length) formula += QLatin1Char('1');
  return formula;
}

void Report(const char* state, double seconds, long empty_kib) {
  const double cpu = IdleCpuPercent(seconds);
  const long rss = ResidentKiB();
  std::printf("state=%s idle_cpu_percent=%.2f rss_KiB=%ld rss_above_empty_KiB=%ld\n", state, cpu,
              rss, rss - empty_kib);
  std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const double seconds = argc > 1 ? std::atof(argv[1]) : 10;
  numerella::UnattendedPlatformServices platform;
  numerella::FrmMain window(platform);
  window.show();
  window.activateWindow();
  if (!QTest::qWaitForWindowActive(&window)) std::fputs("the window is not active\n", stderr);
  auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("TxtExp"));
  if (box == nullptr) return 1;
  if (!box->hasFocus()) std::fputs("the expression box has no focus: no cursor blinks\n", stderr);

  IdleCpuPercent(1);  // start-up settles
  const long empty_kib = ResidentKiB();
  Report("empty", seconds, empty_kib);

  QApplication::clipboard()->setText(Formula(numerella::ExpressionBox::kMaxFormula));
  box->paste();
  window.RunCalculation();
  box->selectAll();
  Report("longest_formula_pasted_computed_selected", seconds, empty_kib);

  box->clear();
  QApplication::clipboard()->setText(Formula(10'000'000));
  box->paste();
  QApplication::clipboard()->clear();
  Report("10MB_paste_refused", seconds, empty_kib);

  QTemporaryDir folder;
  const std::string path = folder.filePath(QStringLiteral("lunga.nmr")).toStdString();
  numerella::History history;
  history.back() = {Formula(numerella::kMaxFieldBytes).toStdString(), "0"};
  const QByteArray file = numerella::WriteCalculationFile(history);
  std::ofstream(path, std::ios::binary).write(file.constData(), file.size());
  window.ReadCalculationFileAt(path);
  window.RunCalculation();
  Report("64KiB_formula_read_computed", seconds, empty_kib);
  return 0;
}
