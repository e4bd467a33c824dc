#pragma once
// The Junk screen: everything the junk rules found, by category and rule, with each open rule's
// items. The user ticks whole rules or single items and cleans them through the reviewed deletion.
// The screen owns only its two sets of identifiers (ticked items, open rules); the findings live in
// the store and are searched on the first visit that finds none.
#include <QPointer>
#include <cstdint>

#include "app/screen/Screen.h"
#include "views/cleanup/logic/GroupCheck.h"

class QLabel;
class QPushButton;
class QStackedWidget;

namespace tolvex {

class JunkList;
class PageHeader;
class SelectionBar;
struct JunkItem;

class JunkView : public Screen {
  Q_OBJECT
 public:
  explicit JunkView(AppState& state, QWidget* parent = nullptr);

  const StringSet& selected() const { return selected_; }
  const StringSet& expanded() const { return expanded_; }

  // "Scan Again": always searches, whatever is already listed; the ticks stay.
  void scanAgain();
  // Opens a closed rule, closes an open one (the chevron turns).
  void toggleExpanded(const std::string& ruleId);
  // The rule's box: on ticks all of its items (also those not listed), off unticks them all.
  void setRuleSelected(bool on, size_t finding);
  void setItemSelected(bool on, const JunkItem& item);
  void clearSelection();
  // Asks for the reviewed deletion of the ticked items ("Clean Junk"); the ticks stay.
  void cleanJunk();

  PageHeader* header() const { return header_; }
  QPushButton* scanAgainButton() const { return scanAgain_; }
  JunkList* list() const { return list_; }
  SelectionBar* selectionBar() const { return bar_; }
  // The "Searching…" page is shown in place of the list.
  bool isSearchingShown() const;

 protected:
  void refresh() override;

 private:
  void selectionEdited();
  void updateBar();

  StringSet selected_;
  StringSet expanded_;
  PageHeader* header_;
  QPushButton* scanAgain_;
  QStackedWidget* faces_;
  QWidget* searching_;
  JunkList* list_;
  SelectionBar* bar_;
  int64_t revision_;
  bool loadedOnce_ = false;
};

}  // namespace tolvex
