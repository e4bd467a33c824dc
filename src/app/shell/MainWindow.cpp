#include "app/shell/MainWindow.h"

namespace tolvex {

MainWindow::MainWindow(QWidget* parent) : QMainWindow(parent) {
  setObjectName(QStringLiteral("mainWindow"));
  setWindowTitle(QStringLiteral("Tolvex"));
  setMinimumSize(1040, 680);
  resize(1200, 760);
}

}  // namespace tolvex
