#pragma once
// The Duplicates screen: the groups of identical files the duplicate search found among the files
// of the last scan, with the oldest copy of each suggested as the original. The user selects copies
// and either deletes them through the reviewed deletion or keeps every file and lets the copies share
// their storage. The screen owns only its selection (node serials); the groups, the search's
// progress and the sharing flag live in the store, and the search runs only when asked for.
#include <QPointer>

#include "app/screen/Screen.h"
#include "views/cleanup/logic/DuplicateSelection.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QStackedWidget;

namespace tolvex {

class DuplicatesList;
class PageHeader;
class SelectionBar;

class DuplicatesView : public Screen {
  Q_OBJECT
 public:
  explicit DuplicatesView(AppState& state, QWidget* parent = nullptr);

  // What the content shows, first that applies: no scan, a search running, groups, none yet.
  enum class Face { prompt, progress, groups, empty };
  Face face() const { return face_; }

  const SerialSet& selected() const { return selected_; }
  void setSelected(uint64_t serial, bool on);
  // "Find Duplicates": searches again and empties the selection.
  void findDuplicates();
  // Every file but the first of each group, in place of what was selected.
  void selectAllCopies();
  void clearSelection();
  // "Keep Both, Share Space" and "Delete…": refused with a warning when a group would lose every copy.
  void shareSpace();
  void deleteCopies();

  PageHeader* header() const { return header_; }
  QPushButton* findButton() const { return find_; }
  DuplicatesList* list() const { return list_; }
  SelectionBar* selectionBar() const { return bar_; }
  QLabel* summaryLabel() const { return summary_; }
  QProgressBar* progressBar() const { return progressBar_; }
  QWidget* sharingIndicator() const { return sharing_; }

 protected:
  void refresh() override;

 private:
  QWidget* makeProgressPage();
  QWidget* makeEmptyPage();
  QWidget* makeContentPage();
  void showFace(Face face);
  void selectionEdited();
  void updateBar();
  void warnKeepOne();

  SerialSet selected_;
  Face face_ = Face::empty;
  PageHeader* header_;
  QPushButton* find_;
  QStackedWidget* faces_;
  QPointer<QWidget> prompt_;
  QWidget* progress_;
  QProgressBar* progressBar_ = nullptr;
  QWidget* empty_;
  QWidget* content_;
  QLabel* summary_ = nullptr;
  DuplicatesList* list_ = nullptr;
  QWidget* sharing_ = nullptr;
  SelectionBar* bar_;
};

}  // namespace tolvex
