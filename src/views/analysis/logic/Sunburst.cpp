#include "views/analysis/logic/Sunburst.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <numbers>

#include "model/DisplayPath.h"
#include "platform/Paths.h"

namespace tolvex::sunburst {
namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

struct Candidate {
  FileNode* node;
  int64_t size;
  double angle;
};

class Layout {
 public:
  Layout(int maxDepth, std::vector<Arc>& out) : maxDepth_(maxDepth), out_(out), scratch_(std::max(maxDepth, 0) + 1) {}

  void walk(FileNode* node, int depth, std::optional<int> inherited, double start, double span) {
    if (depth > maxDepth_) return;
    const int64_t nodeSize = get(node->size);
    if (nodeSize < 1) return;
    // Children are ranked largest first and the ring ends at the first one whose span is below the
    // cut-off. The span grows with the size, so the children laid out are exactly those whose own
    // span reaches the cut-off, in the same order and with the same ranks: only they are sorted, which
    // keeps a folder of many small entries cheap. Sizes below 1 rank last and are never drawn.
    std::vector<Candidate>& candidates = scratch_[static_cast<size_t>(depth)];
    candidates.clear();
    for (FileNode* child : node->children) {
      if (get(child->deleted)) continue;
      const int64_t size = get(child->size);
      if (size < 1) continue;
      const double angle = span * static_cast<double>(size) / static_cast<double>(nodeSize);
      if (angle < kMinAngle) continue;
      candidates.push_back({child, size, angle});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Candidate& a, const Candidate& b) { return a.size > b.size; });
    // The recursion below reuses deeper scratch lists only, so this one stays intact while we walk it.
    double a = start;
    for (size_t i = 0; i < candidates.size(); ++i) {
      const Candidate c = candidates[i];
      const int color = inherited ? *inherited : static_cast<int>(i % kPaletteSize);
      out_.push_back(Arc{c.node, depth, a, a + c.angle, color});
      if (c.node->isDirectory) walk(c.node, depth + 1, color, a, c.angle);
      a += c.angle;
    }
  }

 private:
  int maxDepth_;
  std::vector<Arc>& out_;
  std::vector<std::vector<Candidate>> scratch_;
};

}  // namespace

const std::array<QColor, kPaletteSize>& palette() {
  static const std::array<QColor, kPaletteSize> colors = {
      QColor(0x5B, 0x8C, 0xFF), QColor(0x34, 0xC3, 0xA0), QColor(0xF5, 0xB8, 0x3D), QColor(0xFF, 0x6B, 0x8A),
      QColor(0xB5, 0x7B, 0xFF), QColor(0xFF, 0x9F, 0x43), QColor(0x3D, 0xD6, 0xF5), QColor(0x7B, 0xE0, 0x7B),
      QColor(232, 121, 249),    QColor(96, 165, 250),     QColor(250, 204, 21),     QColor(45, 212, 191)};
  return colors;
}

std::vector<Arc> layout(FileNode* root, int maxDepth) {
  std::vector<Arc> arcs;
  if (!root || maxDepth < 1) return arcs;
  Layout(maxDepth, arcs).walk(root, 1, std::nullopt, 0.0, kTwoPi);
  return arcs;
}

Geometry Geometry::of(double width, double height, int maxDepth) {
  Geometry g;
  g.maxDepth = std::max(maxDepth, 0);
  g.radius = std::max(std::min(width, height), 0.0) / 2;
  g.centre = QPointF(width / 2, height / 2);
  g.thickness = g.radius / (g.maxDepth + 1);
  return g;
}

double Geometry::distance(QPointF p) const { return std::hypot(p.x() - centre.x(), p.y() - centre.y()); }

int Geometry::ring(QPointF p) const {
  if (!(thickness > 0)) return 0;
  const double r = distance(p) / thickness;
  if (!std::isfinite(r) || r >= static_cast<double>(maxDepth + 2)) return maxDepth + 1;
  return static_cast<int>(r);
}

double Geometry::angle(QPointF p) const {
  double a = std::atan2(p.x() - centre.x(), -(p.y() - centre.y()));
  if (a < 0) a += kTwoPi;
  // A point a hair left of 12 o'clock must not round up to a full turn, which no arc contains.
  if (a >= kTwoPi) a = std::nextafter(kTwoPi, 0.0);
  return a;
}

bool Geometry::inCentre(QPointF p) const { return thickness > 0 && distance(p) < thickness; }

std::optional<size_t> hitTest(const std::vector<Arc>& arcs, const Geometry& geometry, QPointF point) {
  const int ring = geometry.ring(point);
  if (ring < 1 || ring > geometry.maxDepth) return std::nullopt;
  const double angle = geometry.angle(point);
  for (size_t i = 0; i < arcs.size(); ++i) {
    const Arc& arc = arcs[i];
    if (arc.depth == ring && arc.start <= angle && angle < arc.end) return i;
  }
  return std::nullopt;
}

Tap tap(const std::vector<Arc>& arcs, const Geometry& geometry, QPointF point) {
  if (geometry.inCentre(point)) return {Tap::Kind::up, nullptr};
  if (auto hit = hitTest(arcs, geometry, point)) {
    FileNode* node = arcs[*hit].node;
    if (node->isDirectory && !node->isPackage) return {Tap::Kind::open, node};
  }
  return {};
}

bool isAtOrBelow(const FileNode* node, const FileNode* ancestor) {
  if (!ancestor) return false;
  for (const FileNode* n = node; n; n = n->parent)
    if (n == ancestor) return true;
  return false;
}

double ringOpacity(int depth) { return std::max(1.0 - 0.12 * (depth - 1), 0.45); }

double opacity(const Arc& arc, const FileNode* hovered) {
  if (hovered && !isAtOrBelow(arc.node, hovered)) return kDimmedOpacity;
  return ringOpacity(arc.depth);
}

QString centreTitle(const FileNode& node) {
  const std::string folded = foldedPath(node.path());
  if (folded == "/") return QCoreApplication::translate("SunburstView", "Disk");
  return QString::fromUtf8(lastPathComponent(folded));
}

}  // namespace tolvex::sunburst
