// SPDX-License-Identifier: GPL-3.0-or-later
// The message window with the largest texts the calculator can produce, offscreen:
//   - the compile listing of a 32,767-character "a+a+...+a" (16,385 listing lines): laid out,
//     shown and painted once, then closed;
//   - the listing of one operand of 32,700 characters: its long line wrapped at 80 cells, and
//     the same for 8k and 16k operands.
// Before the benchmarks run, the worst listing is shown once more and the process's peak
// resident memory over the idle figure (a small message shown) is printed, with what stays
// resident after the window has closed.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDialog>
#include <QPushButton>
#include <cstdio>
#include <fstream>
#include <string>

#include "calculation/calculation.h"
#include "message_window/frm_msg.h"
#include "message_window/mod_msg.h"
#include "message_window/text_wrap.h"
#include "platform/qt_platform_services.h"

namespace {

using numerella::FrmMsg;

// Shows the dialog, paints it once as a screen would, and presses its first button.
struct PaintOnceServices : numerella::QtPlatformServices {
  void ShowModal(QDialog& dialog, QWidget* /*owner*/) override {
    dialog.show();
    dialog.repaint();
    dialog.findChild<QPushButton*>(QStringLiteral("CmdMsg1"))->click();
  }
};

long StatusKiB(const char* field) {
  std::ifstream status("/proc/self/status");
  std::string line;
  const std::string key = std::string(field) + ":";
  while (std::getline(status, line)) {
    if (line.rfind(key, 0) == 0) return std::stol(line.substr(key.size()));
  }
  return -1;
}

// The compile listing the calculator shows for formula with Servizi > Lista Errori on.
std::string ListingOf(const std::string& formula) {
  numerella::Compiler compiler;
  return numerella::RunFormula(compiler, formula, true).message;
}

std::string SumOfAs(std::size_t length) {
  std::string formula = "a";
  while (formula.size() + 2 <= length) formula += "+a";
  return formula;
}

void Show(const std::string& text) {
  PaintOnceServices platform;
  numerella::ShowMessageWindow(platform, nullptr, "Numerella", text, numerella::kIconExclamation, 1,
                               {"", "&Continua"});
}

void BM_WorstListingShownAndPainted(benchmark::State& state) {
  const std::string listing = ListingOf(SumOfAs(32767));
  for (auto _ : state) Show(listing);
  state.counters["listing_bytes"] = static_cast<double>(listing.size());
}
BENCHMARK(BM_WorstListingShownAndPainted)->Unit(benchmark::kMillisecond)->MinTime(0.5);

void BM_SmallMessageShownAndPainted(benchmark::State& state) {
  for (auto _ : state) Show("***Errori di Compilazione");
}
BENCHMARK(BM_SmallMessageShownAndPainted)->Unit(benchmark::kMillisecond)->MinTime(0.2);

// The longest line of the one-operand listing, wrapped in the window's font at 80 cells.
void BM_WrapLongOperand(benchmark::State& state) {
  const std::string listing = ListingOf(std::string(static_cast<std::size_t>(state.range(0)), 'a'));
  std::string_view longest;
  for (std::string_view p : numerella::SplitParagraphs(listing))
    if (p.size() > longest.size()) longest = p;
  const std::string paragraph(longest);
  FrmMsg& frm = FrmMsg::Instance();
  frm.SetFontName("terminal");
  const double limit = 80 * frm.TextWidth("A");
  int lines = 0;
  for (auto _ : state) {
    lines = numerella::PrintWrapped(frm, paragraph, limit, 0, 0, false);
    benchmark::DoNotOptimize(lines);
  }
  state.counters["characters"] = static_cast<double>(paragraph.size());
  state.counters["lines"] = lines;
}
BENCHMARK(BM_WrapLongOperand)->Arg(8000)->Arg(16000)->Arg(32700)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  Show("***Errori di Compilazione");
  const long idle = StatusKiB("VmRSS");
  Show(ListingOf(SumOfAs(32767)));
  QApplication::processEvents();
  const long peak = StatusKiB("VmHWM");
  const long after = StatusKiB("VmRSS");
  std::printf("worst_listing_peak_over_idle_MiB=%.1f rss_after_close_over_idle_MiB=%.1f\n",
              (peak - idle) / 1024.0, (after - idle) / 1024.0);
  std::fflush(stdout);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
