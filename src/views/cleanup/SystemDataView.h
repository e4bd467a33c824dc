#pragma once
// The System Data screen: what the system keeps on the disk for itself, piece by piece. It shows the
// space the volume may purge on its own, the local snapshots on the disk (snapper's, Timeshift's,
// Time Machine's; each can be deleted as administrator) and the measured size of each known part
// with what it is and what to do about it. Parts and snapshots are the screen's own, read off the UI
// thread; opening the screen never asks for a password.
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/screen/Screen.h"
#include "model/ScanResult.h"
#include "system/LocalSnapshot.h"
#include "system/SystemDataPart.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QScrollArea;
class QVBoxLayout;

namespace tolvex {

class DetachedWork;
class StatTile;

// How the screen measures the parts and lists and deletes the snapshots. All of them block and run
// off the UI thread.
struct SystemDataLoaders {
  // Given the scan on screen (none without one), whose known sizes are taken instead of walking, and
  // where to report how many places are measured.
  std::function<std::vector<SystemDataPart>(const ScanResult* scan, const SystemDataProgress& progress)> measure;
  std::function<std::vector<LocalSnapshot>()> listSnapshots;
  std::function<std::optional<std::string>(const LocalSnapshot&)> deleteSnapshot;

  // The startup disk's locations, the snapshot tools, and the administrator's runner.
  static SystemDataLoaders standard();
  // The same measuring, listing and deletion on the given disk, tools and administrator's runner.
  static SystemDataLoaders on(SystemDataSources disk, SnapshotSources snapshots, PrivilegedRunner administrator);
};

class SystemDataView : public Screen {
  Q_OBJECT
 public:
  explicit SystemDataView(AppState& state, QWidget* parent = nullptr);
  SystemDataView(AppState& state, SystemDataLoaders loaders, QWidget* parent = nullptr);

  const std::vector<SystemDataPart>& parts() const { return parts_; }
  const std::vector<LocalSnapshot>& snapshots() const { return snapshots_; }
  bool loading() const { return reloads_ > 0; }
  // The failure of the last snapshot deletion that ended; a success clears it.
  const std::optional<QString>& snapshotMessage() const { return snapshotMessage_; }

  // The Refresh button: measures again and lists the snapshots (disabled while a load runs).
  void load();
  // Deletes `snapshot` off the UI thread, then lists the snapshots again and reads the volume; after
  // a failure as after a success. Deletions may overlap.
  void deleteSnapshot(const LocalSnapshot& snapshot);

  QScrollArea* scrollArea() const { return scroll_; }

 signals:
  void partsChanged();
  void snapshotsChanged();
  void snapshotMessageChanged();

 protected:
  void refresh() override;
  void showEvent(QShowEvent* event) override;

 private:
  struct Round;
  QWidget* buildTiles(QWidget* parent);
  QWidget* buildComponents(QWidget* parent);
  QWidget* buildSnapshots(QWidget* parent);
  void reload();
  void listSnapshots(std::function<void(std::vector<LocalSnapshot>&, uint64_t ticket)> then);
  void showParts(std::vector<SystemDataPart> parts);
  void showMeasureProgress(size_t measured, size_t total);
  void showSnapshots(std::vector<LocalSnapshot> snapshots, uint64_t ticket);
  void endRound(Round& round);
  void showSnapshotMessage(const std::optional<std::string>& failure);
  void syncTiles();
  void syncLoading();

  SystemDataLoaders loaders_;
  DetachedWork* work_;
  std::vector<SystemDataPart> parts_;
  std::vector<LocalSnapshot> snapshots_;
  int reloads_ = 0;
  bool partsMeasured_ = false;  // a measurement has delivered
  uint64_t snapshotTicket_ = 0;       // the newest listing started
  uint64_t shownSnapshotTicket_ = 0;  // the listing shown
  std::optional<QString> snapshotMessage_;

  QScrollArea* scroll_ = nullptr;
  QPushButton* refresh_ = nullptr;
  QWidget* tiles_ = nullptr;
  StatTile* purgeable_ = nullptr;
  StatTile* snapshotCount_ = nullptr;
  StatTile* measured_ = nullptr;
  QWidget* partsSpinner_ = nullptr;
  QProgressBar* measureProgress_ = nullptr;
  QLabel* noParts_ = nullptr;
  QVBoxLayout* partRows_ = nullptr;
  QLabel* snapshotMessageLabel_ = nullptr;
  QLabel* noSnapshots_ = nullptr;
  QVBoxLayout* snapshotRows_ = nullptr;
};

}  // namespace tolvex
