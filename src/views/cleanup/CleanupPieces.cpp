#include "views/cleanup/CleanupPieces.h"

#include <sys/stat.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QLabel>

#include "app/components/RiskBadge.h"
#include "app/components/SymbolView.h"
#include "app/services/UiServices.h"
#include "app/theme/Symbols.h"
#include "app/theme/Theme.h"
#include "engines/JunkRule.h"

namespace tolvex {

namespace {
QString tr(const char* text) { return QCoreApplication::translate("CleanupPieces", text); }
}  // namespace

void refreshButtonLabel(QAbstractButton* button) {
  labelWithSymbol(button, tr("Refresh"), QStringLiteral("arrow.clockwise"));
}

void revealPathInFinder(const std::string& path) {
  // The row may outlive its file (removed by hand, or by another screen); then the click does nothing.
  struct stat st {};
  if (path.empty() || lstat(path.c_str(), &st) != 0) return;
  auto& services = UiServices::shared();
  if (services.revealInFileManager) services.revealInFileManager(path);
}

QIcon searchSymbolImage(int px) { return Symbols::icon(QStringLiteral("magnifyingglass"), px); }

QString ruleRemovalText(const JunkRule& rule) {
  return rule.removal == Removal::trash ? tr("Moved to Trash") : tr("Deleted immediately");
}

QWidget* ruleTitleLine(const JunkRule& rule, QWidget* parent) {
  auto* line = new QWidget(parent);
  line->setObjectName(QStringLiteral("ruleTitleLine"));
  auto* row = new QHBoxLayout(line);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(8);

  auto* title = new QLabel(QString::fromStdString(rule.title), line);
  title->setObjectName(QStringLiteral("ruleTitle"));
  Theme::setTextStyle(title, TextStyle::body, QFont::Medium);
  row->addWidget(title);

  row->addWidget(new RiskBadge(rule.risk, false, line));

  auto* removal = new QLabel(ruleRemovalText(rule), line);
  removal->setObjectName(QStringLiteral("ruleRemoval"));
  Theme::setTextStyle(removal, TextStyle::caption2);
  Theme::setForeground(removal, Tone::tertiary);
  row->addWidget(removal);
  row->addStretch(1);
  return line;
}

}  // namespace tolvex
