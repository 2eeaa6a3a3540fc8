// SPDX-License-Identifier: GPL-3.0-or-later
// A long unattended session: 10,000 calculations of every outcome with files written and read
// back, every dialog answered and counted; memory may not grow beyond noise after the first 1000.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <fstream>

#include "main_window/frm_main.h"
#include "platform/latin1.h"
#include "platform/unattended_platform_services.h"

#if defined(__SANITIZE_ADDRESS__)
#define NUMERELLA_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#define NUMERELLA_ADDRESS_SANITIZER __has_feature(address_sanitizer)
#endif

namespace numerella {
namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line) && line.rfind("VmRSS:", 0) != 0) continue;
  return status ? std::stol(line.substr(6)) : -1;
}

TEST(SoakTest, TenThousandCalculationsWithFiles) {
  const std::pair<const char*, char> formulas[] = {
      // r: a result, c: compile, e: evaluation error
      {"2*(3+4)^2", 'r'},  {"(1+", 'c'},           {"1/0", 'e'},
      {"x+1", 'c'},        {"LOG(-1)+1", 'e'},     {"SUM(1,2,3)/AVG(4,5)", 'r'},
      {"SIN(,)", 'c'},     {"C_N(1.96,0,1)", 'r'}, {"GAM(5)+LNGAM(3.5)", 'r'},
      {"D_B(2,5,1)", 'e'}, {"\xe8 + 1", 'c'},      {"-3^2+8/2/2", 'r'}};
  QTemporaryDir folder;
  UnattendedPlatformServices platform(folder.filePath(QStringLiteral("soak.nmr")));
  FrmMain window(platform);
  window.show();
  auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("TxtExp"));
  auto* listing = window.findChild<QAction*>(QStringLiteral("MnuSerLis"));
  ASSERT_TRUE(folder.isValid() && box != nullptr && listing != nullptr);
  long modals = 0, boxes = 0;
  [[maybe_unused]] long memory_after_warm_up = 0;  // not compared under the address checker
  for (int i = 0; i < 10000; ++i) {
    if (i == 1000) memory_after_warm_up = ResidentKiB();
    if (i % 97 == 0) listing->setChecked(!listing->isChecked());
    const auto& [text, outcome] = formulas[i % std::size(formulas)];
    box->setPlainText(FromBytes(text));
    window.RunCalculation();
    modals += outcome == 'c';
    boxes += outcome == 'e';
    if (i % 500 == 499) {
      const History before = window.CurrentHistory();
      window.WriteCalculationFileCommand();
      window.ReadCalculationFileCommand();
      ASSERT_EQ(window.CurrentHistory(), before) << "after calculation " << i;
    }
    if (i % 50 == 0) QApplication::processEvents();
  }
  EXPECT_EQ(std::pair(platform.modals(), platform.boxes()), std::pair(modals, boxes));
  box->setPlainText(QStringLiteral("1+1"));
  window.RunCalculation();
  EXPECT_EQ(window.CurrentHistory().back().result, "2");  // and the window still computes
#if !NUMERELLA_ADDRESS_SANITIZER  // whose quarantine keeps freed memory resident
  const long growth = ResidentKiB() - memory_after_warm_up;
  EXPECT_LT(growth, 8 * 1024) << "resident memory grew by " << growth << " KiB";
#endif
}

}  // namespace
}  // namespace numerella
