#pragma once
#include <QMainWindow>

namespace tolvex {

// The one main window of the application.
class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  explicit MainWindow(QWidget* parent = nullptr);
};

}  // namespace tolvex
