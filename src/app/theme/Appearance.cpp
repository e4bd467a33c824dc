#include "app/theme/Appearance.h"

#include <QApplication>
#include <QCoreApplication>
#include <QStyle>
#include <QStyleFactory>

#include "app/theme/Theme.h"

namespace tolvex {

QString rawValue(AppAppearance appearance) {
  switch (appearance) {
    case AppAppearance::system: return QStringLiteral("system");
    case AppAppearance::light: return QStringLiteral("light");
    case AppAppearance::dark: return QStringLiteral("dark");
  }
  return QStringLiteral("system");
}

QString title(AppAppearance appearance) {
  switch (appearance) {
    case AppAppearance::system: return QCoreApplication::translate("AppAppearance", "System");
    case AppAppearance::light: return QCoreApplication::translate("AppAppearance", "Light");
    case AppAppearance::dark: return QCoreApplication::translate("AppAppearance", "Dark");
  }
  return {};
}

std::optional<AppAppearance> appAppearanceFromRaw(const QString& raw) {
  for (AppAppearance a : kAllAppAppearances) {
    if (rawValue(a) == raw) return a;
  }
  return std::nullopt;
}

AppAppearance appAppearanceOrSystem(const QString& raw) {
  return appAppearanceFromRaw(raw).value_or(AppAppearance::system);
}

namespace Appearance {
namespace {

struct Colors {
  QColor window, windowText, base, alternateBase, text, button, buttonText, light, midlight, mid, dark, shadow,
      highlight, highlightedText, toolTipBase, toolTipText, link, linkVisited;
};

QPalette makePalette(const Colors& c) {
  QPalette p;
  auto all = [&p](QPalette::ColorRole role, const QColor& color) { p.setColor(role, color); };
  all(QPalette::Window, c.window);
  all(QPalette::WindowText, c.windowText);
  all(QPalette::Base, c.base);
  all(QPalette::AlternateBase, c.alternateBase);
  all(QPalette::Text, c.text);
  all(QPalette::Button, c.button);
  all(QPalette::ButtonText, c.buttonText);
  all(QPalette::BrightText, QColor(Qt::white));
  all(QPalette::Light, c.light);
  all(QPalette::Midlight, c.midlight);
  all(QPalette::Mid, c.mid);
  all(QPalette::Dark, c.dark);
  all(QPalette::Shadow, c.shadow);
  all(QPalette::Highlight, c.highlight);
  all(QPalette::HighlightedText, c.highlightedText);
  all(QPalette::ToolTipBase, c.toolTipBase);
  all(QPalette::ToolTipText, c.toolTipText);
  all(QPalette::Link, c.link);
  all(QPalette::LinkVisited, c.linkVisited);
  all(QPalette::PlaceholderText, Theme::withOpacity(c.text, 0.38));
  // Inactive windows keep the active colours, as native applications do for everything but selection.
  p.setColor(QPalette::Inactive, QPalette::Highlight, Theme::withOpacity(c.windowText, 0.16));
  p.setColor(QPalette::Inactive, QPalette::HighlightedText, c.windowText);
  for (QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
    p.setColor(QPalette::Disabled, role, Theme::withOpacity(c.windowText, 0.32));
  }
  p.setColor(QPalette::Disabled, QPalette::Highlight, Theme::withOpacity(c.windowText, 0.2));
  p.setColor(QPalette::Disabled, QPalette::Button, c.window);
  return p;
}

bool& captured() {
  static bool value = false;
  return value;
}
QPalette& capturedPalette() {
  static QPalette palette;
  return palette;
}

void ensureFusion() {
  QStyle* current = QApplication::style();
  if (!current || current->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0) {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  }
}

}  // namespace

QPalette lightPalette() {
  return makePalette({.window = QColor(0xEC, 0xEC, 0xEC),
                      .windowText = QColor(0x1D, 0x1D, 0x1F),
                      .base = QColor(0xFF, 0xFF, 0xFF),
                      .alternateBase = QColor(0xF4, 0xF4, 0xF5),
                      .text = QColor(0x1D, 0x1D, 0x1F),
                      .button = QColor(0xFB, 0xFB, 0xFB),
                      .buttonText = QColor(0x1D, 0x1D, 0x1F),
                      .light = QColor(0xFF, 0xFF, 0xFF),
                      .midlight = QColor(0xF3, 0xF3, 0xF3),
                      .mid = QColor(0xC6, 0xC6, 0xC8),
                      .dark = QColor(0xA2, 0xA2, 0xA6),
                      .shadow = QColor(0x6E, 0x6E, 0x73),
                      .highlight = QColor(0x2F, 0x6F, 0xEB),
                      .highlightedText = QColor(Qt::white),
                      .toolTipBase = QColor(0xFF, 0xFF, 0xFF),
                      .toolTipText = QColor(0x1D, 0x1D, 0x1F),
                      .link = QColor(0x1F, 0x5F, 0xD6),
                      .linkVisited = QColor(0x6E, 0x5B, 0xFF)});
}

QPalette darkPalette() {
  return makePalette({.window = QColor(0x32, 0x32, 0x32),
                      .windowText = QColor(0xEC, 0xEC, 0xEE),
                      .base = QColor(0x1F, 0x1F, 0x21),
                      .alternateBase = QColor(0x29, 0x29, 0x2B),
                      .text = QColor(0xEC, 0xEC, 0xEE),
                      .button = QColor(0x4A, 0x4A, 0x4C),
                      .buttonText = QColor(0xEC, 0xEC, 0xEE),
                      .light = QColor(0x5E, 0x5E, 0x60),
                      .midlight = QColor(0x4A, 0x4A, 0x4C),
                      .mid = QColor(0x26, 0x26, 0x28),
                      .dark = QColor(0x1A, 0x1A, 0x1C),
                      .shadow = QColor(0x00, 0x00, 0x00),
                      .highlight = QColor(0x2F, 0x6F, 0xEB),
                      .highlightedText = QColor(Qt::white),
                      .toolTipBase = QColor(0x2A, 0x2A, 0x2C),
                      .toolTipText = QColor(0xEC, 0xEC, 0xEE),
                      .link = QColor(0x6A, 0xA4, 0xFF),
                      .linkVisited = QColor(0xA9, 0x9C, 0xFF)});
}

void captureSystemPalette() {
  if (captured()) return;
  capturedPalette() = QApplication::palette();
  captured() = true;
}

QPalette systemPalette() {
  captureSystemPalette();
  return capturedPalette();
}

void apply(AppAppearance appearance) {
  ensureFusion();
  captureSystemPalette();
  switch (appearance) {
    case AppAppearance::system: QApplication::setPalette(capturedPalette()); break;
    case AppAppearance::light: QApplication::setPalette(lightPalette()); break;
    case AppAppearance::dark: QApplication::setPalette(darkPalette()); break;
  }
}

}  // namespace Appearance
}  // namespace tolvex
