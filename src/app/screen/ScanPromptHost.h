#pragma once
#include <QString>

class QWidget;

namespace tolvex {

class AppState;

// The scan prompt a screen shows while there is no scan (the restoring, scanning and idle faces).
QWidget* makeScanPrompt(AppState& state, const QString& title, const QString& message, QWidget* parent);

}  // namespace tolvex
