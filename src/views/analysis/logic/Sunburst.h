#pragma once
// The sunburst map's geometry without widgets: which arcs a folder gives, where they lie, what a
// point hits, how bright each arc is drawn and what the centre says.
//
// Angles are radians measured clockwise from 12 o'clock. Ring d (1 for the root's children) lies
// between the radii d·t and (d + 1)·t, where t = R / (maxDepth + 1) and R = min(width, height) / 2;
// everything closer to the centre than t is the centre disc.
#include <QColor>
#include <QPointF>
#include <QString>
#include <array>
#include <optional>
#include <vector>

#include "model/FileNode.h"

namespace tolvex::sunburst {

inline constexpr int kPaletteSize = 12;
// A child whose share of its parent's span is below this ends its ring.
inline constexpr double kMinAngle = 0.004;
// Each ring stops this far short of its outer radius.
inline constexpr double kOuterGap = 1.5;
inline constexpr double kDimmedOpacity = 0.25;

// The twelve colours of the first ring, by rank.
const std::array<QColor, kPaletteSize>& palette();
inline const QColor& paletteColor(size_t index) { return palette()[index % kPaletteSize]; }

struct Arc {
  FileNode* node = nullptr;
  int depth = 0;     // ring number, 1 for the root's children
  double start = 0;  // 0 <= start < end <= 2π
  double end = 0;
  int colorIndex = 0;  // into palette(): the rank of the first-ring ancestor among its siblings
  const QColor& color() const { return paletteColor(static_cast<size_t>(colorIndex)); }
};

// The arcs of `root` down to `maxDepth` rings, in depth-first pre-order. Each folder's children that
// are not deleted are taken largest first (equal sizes keep their stored order); a child's span is
// its parent's span × child size / parent size. Children of size below 1 are skipped but keep their
// rank, and the first child whose span is below kMinAngle ends the folder's ring. Deeper arcs take
// the colour of their first-ring ancestor.
std::vector<Arc> layout(FileNode* root, int maxDepth);

struct Geometry {
  QPointF centre;
  double radius = 0;     // R
  double thickness = 0;  // t
  int maxDepth = 0;

  static Geometry of(double width, double height, int maxDepth);
  double distance(QPointF point) const;
  // The ring under a point: the integer part of its distance / t (0 is the centre disc).
  int ring(QPointF point) const;
  // [0, 2π), clockwise from 12 o'clock.
  double angle(QPointF point) const;
  bool inCentre(QPointF point) const;
};

// The index of the arc under `point`: the first arc of the point's ring with start <= angle < end.
// None on the centre disc, outside the rings and on empty parts of a ring.
std::optional<size_t> hitTest(const std::vector<Arc>& arcs, const Geometry& geometry, QPointF point);

// What a click at `point` asks for.
struct Tap {
  enum class Kind { nothing, up, open } kind = Kind::nothing;
  FileNode* node = nullptr;  // the folder to open
};
Tap tap(const std::vector<Arc>& arcs, const Geometry& geometry, QPointF point);

// True when `node` is `ancestor` or lies below it.
bool isAtOrBelow(const FileNode* node, const FileNode* ancestor);

// The drawing opacity of an arc: 0.25 while another part of the map is hovered, otherwise
// 1.0 − 0.12 per ring below the first, never below 0.45.
double opacity(const Arc& arc, const FileNode* hovered);
double ringOpacity(int depth);

// The centre's title for a node: the last component of its folded path, or "Disk" for the volume.
QString centreTitle(const FileNode& node);

}  // namespace tolvex::sunburst
