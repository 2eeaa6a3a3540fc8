// A long unattended session: 10,000 calculations of every outcome, with the history written
// to a file and read back along the way. Every dialog is answered at once. At the end the
// window must still compute, the files must have round-tripped, and the resident memory may
// not have grown beyond noise after the first thousand calculations.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <fstream>
#include <string>

#include "main_window/frm_main.h"
#include "main_window/latin1.h"
#include "platform/unattended_platform_services.h"

namespace numerella {
namespace {

long ResidentKiB() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

enum class Outcome { kResult, kCompileError, kEvalError };
struct SoakFormula {
  const char* text;
  Outcome outcome;
};
constexpr SoakFormula kFormulas[] = {
    {"2*(3+4)^2", Outcome::kResult},
    {"(1+", Outcome::kCompileError},
    {"1/0", Outcome::kEvalError},
    {"SUM(1,2,3)/AVG(4,5)", Outcome::kResult},
    {"x+1", Outcome::kCompileError},
    {"LOG(-1)+1", Outcome::kEvalError},
    {"C_N(1.96,0,1)", Outcome::kResult},
    {"SIN(,)", Outcome::kCompileError},
    {"GAM(5)+LNGAM(3.5)", Outcome::kResult},
    {"D_B(2,5,1)", Outcome::kEvalError},
    {"\xe8 + 1", Outcome::kCompileError},
    {"-3^2+8/2/2", Outcome::kResult},
};

TEST(SoakTest, TenThousandCalculationsWithFiles) {
  static int argc = 1;
  static char name[] = "soak_test";
  static char* argv[] = {name, nullptr};
  if (QApplication::instance() == nullptr) new QApplication(argc, argv);

  QTemporaryDir folder;
  ASSERT_TRUE(folder.isValid());
  UnattendedPlatformServices platform(folder.filePath(QStringLiteral("soak.nmr")));
  FrmMain window(platform);
  window.show();
  auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("TxtExp"));
  auto* listing = window.findChild<QAction*>(QStringLiteral("MnuSerLis"));
  ASSERT_NE(box, nullptr);
  ASSERT_NE(listing, nullptr);

  long expected_modals = 0, expected_boxes = 0, memory_after_warm_up = 0;
  for (int i = 0; i < 10000; ++i) {
    if (i == 1000) memory_after_warm_up = ResidentKiB();
    if (i % 97 == 0) listing->setChecked(!listing->isChecked());
    const SoakFormula& f = kFormulas[i % std::size(kFormulas)];
    box->setPlainText(FromBytes(f.text));
    window.RunCalculation();
    expected_modals += f.outcome == Outcome::kCompileError;
    expected_boxes += f.outcome == Outcome::kEvalError;
    if (i % 500 == 499) {
      const History before = window.CurrentHistory();
      window.WriteCalculationFileCommand();
      window.ReadCalculationFileCommand();
      ASSERT_EQ(window.CurrentHistory(), before) << "after calculation " << i;
    }
    if (i % 50 == 0) QApplication::processEvents();
  }
  EXPECT_EQ(platform.modals(), expected_modals);
  EXPECT_EQ(platform.boxes(), expected_boxes);

  box->setPlainText(QStringLiteral("1+1"));
  window.RunCalculation();
  EXPECT_EQ(window.CurrentHistory().back().result, "2");

  const long growth = ResidentKiB() - memory_after_warm_up;
  EXPECT_LT(growth, 8 * 1024) << "resident memory grew by " << growth << " KiB";
}

}  // namespace
}  // namespace numerella
