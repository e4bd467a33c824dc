#include <gtest/gtest.h>

#include "app/shell/MainWindow.h"

TEST(MainWindow, IsTitledTolvexAndAtLeastTheMinimumSize) {
  tolvex::MainWindow window;
  window.show();
  EXPECT_EQ(window.windowTitle(), QStringLiteral("Tolvex"));
  EXPECT_GE(window.minimumWidth(), 1040);
  EXPECT_GE(window.minimumHeight(), 680);
  EXPECT_GE(window.width(), 1040);
}
