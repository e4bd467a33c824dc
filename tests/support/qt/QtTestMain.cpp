// main() of the Qt test programs: offscreen platform, no animations, a temporary home and a fixed
// English locale are set before the QApplication exists (test discovery runs without a display).
#include <QApplication>
#include <QLocale>
#include <cstdlib>
#include <gtest/gtest.h>

#include "shell/TolvexApp.h"
#include "support/TempHome.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("TOLVEX_NO_ANIMATIONS", "1", 1);
  tolvex::test::TempHome home;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  QApplication app(argc, argv);
  QApplication::setStyle(QStringLiteral("Fusion"));
  tolvex::TolvexApp::applyFont();
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
