#include "app/shell/ScanPromptHost.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/components/AmbientBackground.h"

namespace tolvex {

QWidget* makeScanPrompt(AppState&, const QString& title, const QString& message, QWidget* parent) {
  auto* page = new AmbientBackground(parent);
  auto* layout = new QVBoxLayout(page);
  layout->addStretch();
  for (const QString& text : {title, message}) {
    auto* label = new QLabel(text, page);
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    layout->addWidget(label);
  }
  layout->addStretch();
  return page;
}

}  // namespace tolvex
