#include "shell/AboutDialog.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/ObjectNames.h"
#include "app/components/SymbolView.h"
#include "app/theme/Theme.h"

namespace tolvex {

QString AboutDialog::versionText() { return tr("Version %1").arg(QStringLiteral(TOLVEX_VERSION)); }

QString AboutDialog::summary() {
  return tr("Measures where the space on your disk goes and helps you get it back safely.");
}

AboutDialog::AboutDialog(QWidget* parent) : QDialog(parent) {
  setObjectName(names::aboutDialog);
  setWindowTitle(tr("About Tolvex"));
  setWindowModality(Qt::WindowModal);
  setFixedWidth(380);
  auto* row = new QHBoxLayout(this);
  row->setContentsMargins(24, 24, 24, 20);
  row->setSpacing(16);
  auto* icon = new SymbolView(QStringLiteral("internaldrive.fill"), 44, this);
  icon->setBrandGradient(true);
  row->addWidget(icon, 0, Qt::AlignTop);

  auto* column = new QVBoxLayout;
  column->setSpacing(4);
  auto* name = new QLabel(QStringLiteral("Tolvex"), this);
  name->setObjectName(names::aboutName);
  Theme::setTextStyle(name, TextStyle::title2, QFont::Bold);
  column->addWidget(name);
  auto* version = new QLabel(versionText(), this);
  version->setObjectName(names::aboutVersion);
  version->setTextInteractionFlags(Qt::TextSelectableByMouse);
  Theme::setTextStyle(version, TextStyle::callout);
  Theme::setForeground(version, Tone::secondary);
  column->addWidget(version);
  column->addSpacing(8);
  auto* text = new QLabel(summary(), this);
  text->setObjectName(names::aboutText);
  text->setWordWrap(true);
  Theme::setTextStyle(text, TextStyle::body);
  column->addWidget(text);
  column->addSpacing(12);
  auto* ok = new QPushButton(tr("OK"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  column->addWidget(ok, 0, Qt::AlignRight);
  row->addLayout(column, 1);
}

}  // namespace tolvex
