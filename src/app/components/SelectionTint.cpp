#include "app/components/SelectionTint.h"

#include <QApplication>
#include <QWidget>

#include "app/theme/Theme.h"

namespace tolvex {

void applySelectionTint(QWidget* view) {
  const QPalette app = QApplication::palette(view);
  QColor tint = app.color(QPalette::Highlight);
  tint.setAlphaF(Theme::isDark(app) ? 0.42f : 0.2f);
  QPalette own = view->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
    own.setColor(group, QPalette::Highlight, tint);
    own.setColor(group, QPalette::HighlightedText, app.color(group, QPalette::Text));
  }
  view->setPalette(own);
}

}  // namespace tolvex
