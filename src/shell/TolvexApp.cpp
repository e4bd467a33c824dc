#include "shell/TolvexApp.h"

#include <QApplication>
#include <QLocale>
#include <QTimer>

#include "app/AppState.h"
#include "app/Settings.h"
#include "app/theme/Appearance.h"
#include "model/Formatting.h"
#include "shell/MainWindow.h"

namespace tolvex {

void TolvexApp::applyAppearance(const Settings& settings) {
  Appearance::captureSystemPalette();
  Appearance::apply(appAppearanceOrSystem(settings.stringValue(keys::appearance)));
}

void TolvexApp::applyFont() {
  QFont font = QApplication::font();
  font.setPixelSize(13);
  QApplication::setFont(font);
}

void TolvexApp::applyLocale() {
  const QLocale locale;
  NumberFormat format;
  format.groupSeparator = locale.groupSeparator().toStdString();
  format.decimalSeparator = locale.decimalPoint().toStdString();
  setNumberFormat(format);
}

TolvexApp::TolvexApp() {
  applyFont();
  applyLocale();
  state_ = std::make_unique<AppState>();
  applyAppearance(state_->settings());
  window_ = std::make_unique<MainWindow>(*state_);
}

TolvexApp::~TolvexApp() {
  window_.reset();
  state_.reset();
}

}  // namespace tolvex
