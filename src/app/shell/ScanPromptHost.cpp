#include "app/shell/ScanPromptHost.h"

#include <QLabel>
#include <QVBoxLayout>


namespace tolvex {

QWidget* makeScanPrompt(AppState&, const QString& title, const QString& message, QWidget* parent) {
  auto* page = new QWidget(parent);
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
