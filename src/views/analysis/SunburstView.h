#pragma once
// The map: the tree below one folder as rings around a centre disc. Hovering an arc reports its node
// and dims the rest of the map; clicking a folder's arc asks to open it, clicking the centre asks to
// go up.
//
// The view reads the tree through the node it is given: its host calls setRoot() whenever the tree
// or the folder changes (before the event loop runs again), so that no arc outlives its node.
#include <QVariantAnimation>
#include <QWidget>
#include <vector>

#include "views/analysis/logic/Sunburst.h"

namespace tolvex {

class SunburstView : public QWidget {
  Q_OBJECT
 public:
  explicit SunburstView(int maxDepth, QWidget* parent = nullptr);

  // Lays the map out again for `root` (a folder, or none for an empty map). A different root drops
  // the hover; so does a relayout in which the hovered node has no arc any more.
  void setRoot(FileNode* root);
  FileNode* root() const { return root_; }
  int maxDepth() const { return maxDepth_; }
  FileNode* hovered() const { return hovered_; }
  const std::vector<sunburst::Arc>& arcs() const { return arcs_; }
  sunburst::Geometry mapGeometry() const;

  // A point well inside an arc (its middle angle, halfway through its ring), for tests and tools.
  static QPointF pointIn(const sunburst::Arc& arc, const sunburst::Geometry& geometry);

  // Draws the map and its centre label. Arcs dimmed by the hover blend from
  // their opacity under `fadeFrom` to that under `hovered` by `progress` (0…1).
  static void paint(QPainter* painter, const std::vector<sunburst::Arc>& arcs, const sunburst::Geometry& geometry,
                    const FileNode* root, const FileNode* hovered, const FileNode* fadeFrom, qreal progress,
                    const QPalette& palette);

  QSize sizeHint() const override { return {520, 520}; }
  QSize minimumSizeHint() const override { return {200, 200}; }

 signals:
  void openRequested(FileNode* folder);
  void upRequested();
  // The node under the pointer changed (none when there is none); also sent with none whenever the
  // pointer leaves the map.
  void hoverChanged(FileNode* node);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  void hoverAt(const QPointF& pos);
  void setHovered(FileNode* node, bool always);

  int maxDepth_;
  FileNode* root_ = nullptr;
  std::vector<sunburst::Arc> arcs_;
  FileNode* hovered_ = nullptr;
  FileNode* fadeFrom_ = nullptr;
  qreal progress_ = 1;
  QVariantAnimation fade_;
  bool pressed_ = false;
  bool swallowRelease_ = false;
};

}  // namespace tolvex
