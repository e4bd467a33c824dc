#pragma once
// The card of container and virtual-machine disk images found in the scan: what each occupies and
// may grow to, which application owns it and what to do there to get space back, with the owner's
// clean-up command to copy. Deleting files inside a virtual machine does not shrink its image, so
// the card explains and points; it deletes nothing. Without disk images it is hidden and takes no
// room, but stays in place, so the last copied command is remembered while the screen lives.
#include <optional>
#include <string>
#include <vector>

#include "app/components/Card.h"
#include "engines/VirtualDisk.h"

class QLabel;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace tolvex {

class AppState;

class VirtualDisksCard : public Card {
  Q_OBJECT
 public:
  explicit VirtualDisksCard(AppState& state, QWidget* parent = nullptr);

  // Reads the disk images from the store again; the rows are rebuilt only when they changed.
  void refresh();

  // Puts `command` on the clipboard as plain text (and nothing else) and marks `disk` as copied.
  void copyCommand(const std::string& command, const VirtualDisk& disk);

  const std::vector<VirtualDisk>& disks() const { return disks_; }
  const std::optional<std::string>& copied() const { return copied_; }
  QScrollArea* list() const { return list_; }

 private:
  void rebuild();
  QWidget* makeRow(size_t index, QWidget* parent);
  void syncCopyButtons();

  AppState& state_;
  std::vector<VirtualDisk> disks_;
  bool built_ = false;
  std::optional<std::string> copied_;
  QLabel* total_;
  QScrollArea* list_;
  QVBoxLayout* rows_;
  struct CopyButton {
    size_t disk;  // index in disks_
    QPushButton* button;
  };
  std::vector<CopyButton> copyButtons_;
};

}  // namespace tolvex
