#pragma once
// The panel beside the map: the node under the pointer (icon, name, category, size, path and the
// safety reason), or, when the pointer is over nothing, the folder's ten largest items in the map's
// colours and a hint on how to use the map.
#include <QPointer>

#include "app/components/Card.h"
#include "model/FileNode.h"
#include "model/SafetyVerdict.h"

class QVBoxLayout;

namespace tolvex {

class MapSidePanel : public Card {
  Q_OBJECT
 public:
  // Paths show and are judged in `safety`.
  explicit MapSidePanel(const SafetyContext& safety, QWidget* parent = nullptr);

  static constexpr int kWidth = 280;
  static constexpr size_t kLargestCount = 10;

  // Shows `focus` when given, else the largest items of `current`.
  void showFolder(const FileNode& current, const FileNode* focus);
  const FileNode* focus() const { return focus_; }

  // A path cut in the middle so that, wrapped at any character, it takes at most `lines` lines of
  // `width` pixels in `font`.
  static QString fitInLines(const QString& text, const QFont& font, int width, int lines);

 private:
  void clear();
  void buildFocus(const FileNode& node);
  void buildLargest(const FileNode& current);

  SafetyContext safety_;
  QPointer<QWidget> content_;
  const FileNode* current_ = nullptr;
  const FileNode* focus_ = nullptr;
  std::vector<std::pair<uint64_t, int64_t>> shownKey_;
};

}  // namespace tolvex
