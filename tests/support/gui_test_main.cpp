// SPDX-License-Identifier: GPL-3.0-or-later
// The main of every window test: one QApplication for the whole run, set up as the program
// sets up its own, offscreen when there is no display.
#include <gtest/gtest.h>

#include <QApplication>
#include <clocale>

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY") &&
      qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
    qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  std::setlocale(LC_NUMERIC, "C");  // as the program does after creating its application
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
