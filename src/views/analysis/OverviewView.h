#pragma once
// The Overview: a one-page summary of the scan on screen. Without a scan, the scan prompt; with one,
// the header (the scan's target, files and duration; when it was scanned), the stale-scan and full
// disk access banners when they apply, the statistic tiles, the trend teaser, the composition card,
// and the largest folders beside the recommendations. The content is built afresh for each revision
// of the scan, so the composition card's highlight starts over after a new scan or a deletion.
#include <cstdint>
#include <optional>

#include "app/screen/Screen.h"

class QHBoxLayout;
class QLabel;
class QScrollArea;
class QStackedWidget;
class QVBoxLayout;

namespace tolvex {

class BiggestFoldersCard;
class CompositionCard;
class FullDiskAccessBanner;
class PageHeader;
class RecommendationsCard;
class StaleScanBanner;
class SymbolLabel;
class TrendTeaser;

class OverviewView : public Screen {
  Q_OBJECT
 public:
  explicit OverviewView(AppState& state, QWidget* parent = nullptr);
  ~OverviewView() override;

  PageHeader* header() const { return header_; }
  TrendTeaser* teaser() const { return teaser_; }
  CompositionCard* composition() const { return composition_; }
  BiggestFoldersCard* biggestFolders() const { return biggest_; }
  RecommendationsCard* recommendations() const { return recommendations_; }

 protected:
  void refresh() override;

 private:
  void showPrompt();
  void buildContent();
  void syncHeader();
  void syncBanners();
  void syncStats();

  QStackedWidget* faces_;
  QWidget* prompt_ = nullptr;
  QScrollArea* scroll_ = nullptr;
  std::optional<int64_t> builtRevision_;
  QVBoxLayout* column_ = nullptr;
  PageHeader* header_ = nullptr;
  SymbolLabel* scanned_ = nullptr;
  StaleScanBanner* staleBanner_ = nullptr;
  FullDiskAccessBanner* accessBanner_ = nullptr;
  QWidget* stats_ = nullptr;
  TrendTeaser* teaser_ = nullptr;
  CompositionCard* composition_ = nullptr;
  BiggestFoldersCard* biggest_ = nullptr;
  RecommendationsCard* recommendations_ = nullptr;
  int trendsObserver_ = 0;
};

}  // namespace tolvex
