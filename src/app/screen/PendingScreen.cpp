#include "app/screen/PendingScreen.h"

#include <QLabel>
#include <QVBoxLayout>

#include "app/AppState.h"
#include "app/ObjectNames.h"
#include "app/components/PageHeader.h"
#include "app/screen/ScanPrompt.h"

namespace tolvex {

PendingScreen::PendingScreen(AppState& state, AppSection section, QWidget* parent)
    : Screen(state, parent), section_(section) {
  setObjectName(names::pendingScreen);
  layout_ = ambientPage();
  QWidget* page = layout_->parentWidget();
  auto* header = new PageHeader(title(section), QString(), page);
  header->setContentsMargins(28, 22, 28, 10);
  layout_->addWidget(header);
}

QString PendingScreen::promptTitle(AppSection section) {
  switch (section) {
    case AppSection::explorer: return tr("Folder explorer");
    case AppSection::large: return tr("Large and old files");
    case AppSection::types: return tr("Files by type");
    case AppSection::duplicates: return tr("Scan your disk first");
    default: return tr("What’s taking up your disk?");
  }
}

QString PendingScreen::promptMessage(AppSection section) {
  switch (section) {
    case AppSection::explorer:
      return tr("Browse folder by folder sorted by size, like a Finder that shows what everything really takes up.");
    case AppSection::large:
      return tr("Scan your disk to list every file over 512 KB, with filters for size, date, type and category.");
    case AppSection::types:
      return tr("Videos, photos, documents, installers, archives… Scan your disk to see them grouped.");
    case AppSection::duplicates: return tr("Duplicates are found among the files from the last scan.");
    default:
      return tr(
          "Tolvex measures your whole disk (real size on APFS, without counting hard links twice) and "
          "breaks it down by category, folder and file type.");
  }
}

void PendingScreen::refresh() {
  const bool wantPrompt = !state().scan().has_value();
  if (body_ && wantPrompt == showingPrompt_) return;
  if (body_) body_->deleteLater();
  showingPrompt_ = wantPrompt;
  if (wantPrompt) {
    auto* prompt = new ScanPrompt(state(), promptTitle(section_), promptMessage(section_), layout_->parentWidget());
    prompt->setPainted(false);  // the page behind it already paints the glows
    body_ = prompt;
  } else {
    body_ = new QWidget(layout_->parentWidget());
  }
  layout_->addWidget(body_, 1);
}

}  // namespace tolvex
