#pragma once
// "Largest folders": the big folders of the scan (see BiggestFolders), each a row with its icon,
// name, size, path and a bar against the first; a click opens the folder in the Explorer.
#include <cstdint>
#include <vector>

#include "app/components/Card.h"
#include "model/FileNode.h"

namespace tolvex {

class AppState;
class RowButton;

class BiggestFoldersCard : public Card {
  Q_OBJECT
 public:
  explicit BiggestFoldersCard(AppState& state, QWidget* parent = nullptr);

  // Picks the folders again; the rows are rebuilt only when the list or a size changed.
  void refresh();

  const std::vector<RowButton*>& rows() const { return rows_; }

 private:
  struct Shown {
    uint64_t serial;
    int64_t size;
    bool operator==(const Shown&) const = default;
  };
  void rebuild(const std::vector<FileNode*>& folders);

  AppState& state_;
  bool built_ = false;
  std::vector<Shown> shown_;
  QWidget* list_;
  std::vector<RowButton*> rows_;
};

}  // namespace tolvex
