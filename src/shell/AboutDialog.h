#pragma once
// "About Tolvex": the application's name, its version and what it does, in a small window-modal box.
#include <QDialog>

namespace tolvex {

class AboutDialog : public QDialog {
  Q_OBJECT
 public:
  explicit AboutDialog(QWidget* parent = nullptr);

  static QString versionText();
  static QString summary();
};

}  // namespace tolvex
