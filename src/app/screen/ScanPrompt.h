#pragma once
// The stand-by page of a screen that needs a scan. It has three faces, chosen from AppState in this
// order: the last scan is being restored (a spinner), a scan runs (the scanning ring with live counts
// and the current path), or nothing is there yet (an icon, the caller's title and message, the two
// scan buttons and, without full disk access, the banner asking for it). Over the ambient background.
#include <QPointer>
#include <QString>

#include "app/components/AmbientBackground.h"
#include "app/components/ScanningRing.h"
#include "model/ScanResult.h"

class QLabel;
class QPushButton;

namespace tolvex {

class AppState;
class ElidedLabel;
class FullDiskAccessBanner;

class ScanPrompt : public AmbientBackground {
  Q_OBJECT
 public:
  enum class Face { restoring, scanning, idle };

  ScanPrompt(AppState& state, const QString& title, const QString& message, QWidget* parent = nullptr);

  Face face() const { return face_; }
  // The ring of the scanning face (null on the other faces).
  ScanningRing* ring() const { return ring_; }

  // The ring's two lines: "%1 files" with the count grouped, and the byte text of the bytes (a
  // negative count shown as zero).
  static QString progressText(const ScanProgressSnapshot& progress);
  static QString detailText(const ScanProgressSnapshot& progress);
  static Face faceFor(bool restoring, bool scanning);

  static constexpr int kSpacing = 18;
  static constexpr int kPadding = 40;
  static constexpr int kTextWidth = 420;

 private:
  void refresh();
  void showFace(Face face);

  AppState& state_;
  Face face_ = Face::idle;
  bool faceShown_ = false;
  QWidget* restoring_;
  QWidget* scanning_;
  QWidget* idle_;
  QPointer<ScanningRing> ring_;
  ElidedLabel* currentPath_;
  FullDiskAccessBanner* banner_;
};

}  // namespace tolvex
