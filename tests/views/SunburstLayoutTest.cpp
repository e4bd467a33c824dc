#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "views/MemTree.h"
#include "views/analysis/logic/Sunburst.h"

using namespace tolvex;
using namespace tolvex::sunburst;
using tolvex::test::MemTree;

namespace {

constexpr double kTwoPi = 2 * std::numbers::pi;

// The span a child gets, computed as the layout does.
double span(double parentSpan, int64_t size, int64_t parentSize) {
  return parentSpan * static_cast<double>(size) / static_cast<double>(parentSize);
}

const Arc* arcOf(const std::vector<Arc>& arcs, const FileNode* node) {
  for (const Arc& a : arcs)
    if (a.node == node) return &a;
  return nullptr;
}

}  // namespace

TEST(SunburstLayout, EmptyAndWholeRoots) {
  MemTree empty;
  empty.folder(empty.root, "nothing");
  EXPECT_TRUE(layout(empty.root, 5).empty());  // size 0: no arcs
  EXPECT_TRUE(layout(nullptr, 5).empty());

  MemTree one;
  FileNode* only = one.file(one.root, "all.bin", 4096);
  const auto arcs = layout(one.root, 5);
  ASSERT_EQ(arcs.size(), 1u);
  EXPECT_EQ(arcs[0].node, only);
  EXPECT_EQ(arcs[0].depth, 1);
  EXPECT_EQ(arcs[0].start, 0.0);
  EXPECT_EQ(arcs[0].end, kTwoPi);
  EXPECT_EQ(arcs[0].colorIndex, 0);
  EXPECT_EQ(arcs[0].color(), QColor(0x5B, 0x8C, 0xFF));
  EXPECT_TRUE(layout(one.root, 0).empty());
}

TEST(SunburstLayout, ChildrenLargestFirstInPreOrderWithProportionalSpans) {
  MemTree t;
  FileNode* small = t.file(t.root, "small", 200);
  FileNode* big = t.folder(t.root, "big");
  FileNode* bigA = t.file(big, "a", 300);
  FileNode* bigB = t.file(big, "b", 100);
  t.own(big, 100);  // the folder's own bytes leave part of its span empty
  FileNode* mid = t.file(t.root, "mid", 300);
  FileNode* tie = t.file(t.root, "tie", 300);  // equal sizes keep their stored order
  const int64_t total = get(t.root->size);
  ASSERT_EQ(total, 1300);

  const auto arcs = layout(t.root, 5);
  std::vector<const FileNode*> order;
  for (const Arc& a : arcs) order.push_back(a.node);
  EXPECT_EQ(order, (std::vector<const FileNode*>{big, bigA, bigB, mid, tie, small}));

  const double sBig = span(kTwoPi, 500, total), sMid = span(kTwoPi, 300, total), sSmall = span(kTwoPi, 200, total);
  EXPECT_DOUBLE_EQ(arcOf(arcs, big)->start, 0.0);
  EXPECT_DOUBLE_EQ(arcOf(arcs, big)->end, sBig);
  EXPECT_DOUBLE_EQ(arcOf(arcs, bigA)->start, 0.0);
  EXPECT_DOUBLE_EQ(arcOf(arcs, bigA)->end, span(sBig, 300, 500));
  EXPECT_DOUBLE_EQ(arcOf(arcs, bigB)->end, span(sBig, 300, 500) + span(sBig, 100, 500));
  EXPECT_LT(arcOf(arcs, bigB)->end, sBig);  // the folder's own 100 bytes stay empty
  EXPECT_DOUBLE_EQ(arcOf(arcs, mid)->start, sBig);
  EXPECT_DOUBLE_EQ(arcOf(arcs, tie)->start, sBig + sMid);
  EXPECT_DOUBLE_EQ(arcOf(arcs, small)->end, sBig + 2 * sMid + sSmall);
  EXPECT_NEAR(arcOf(arcs, small)->end, kTwoPi, 1e-12);

  // Ranks give the colours; deeper arcs carry their first-ring ancestor's colour.
  EXPECT_EQ(arcOf(arcs, big)->colorIndex, 0);
  EXPECT_EQ(arcOf(arcs, bigA)->colorIndex, 0);
  EXPECT_EQ(arcOf(arcs, bigB)->colorIndex, 0);
  EXPECT_EQ(arcOf(arcs, mid)->colorIndex, 1);
  EXPECT_EQ(arcOf(arcs, tie)->colorIndex, 2);
  EXPECT_EQ(arcOf(arcs, small)->colorIndex, 3);
  EXPECT_EQ(arcOf(arcs, bigA)->depth, 2);
}

TEST(SunburstLayout, TwelfthAndThirteenthColours) {
  MemTree t;
  std::vector<FileNode*> kids;
  for (int i = 0; i < 13; ++i) {
    FileNode* f = t.folder(t.root, "f" + std::to_string(i));
    t.file(f, "inner", 1000 - i);
    kids.push_back(f);
  }
  const auto arcs = layout(t.root, 5);
  EXPECT_EQ(arcOf(arcs, kids[11])->color(), QColor(45, 212, 191));
  EXPECT_EQ(arcOf(arcs, kids[12])->colorIndex, 0);
  EXPECT_EQ(arcOf(arcs, kids[12])->color(), QColor(0x5B, 0x8C, 0xFF));
  EXPECT_EQ(arcOf(arcs, kids[12]->children[0])->color(), QColor(0x5B, 0x8C, 0xFF));
  const auto& p = palette();
  const std::array<QColor, 12> expected = {QColor("#5B8CFF"), QColor("#34C3A0"), QColor("#F5B83D"), QColor("#FF6B8A"),
                                           QColor("#B57BFF"), QColor("#FF9F43"), QColor("#3DD6F5"), QColor("#7BE07B"),
                                           QColor("#E879F9"), QColor("#60A5FA"), QColor("#FACC15"), QColor("#2DD4BF")};
  for (size_t i = 0; i < 12; ++i) EXPECT_EQ(p[i], expected[i]) << i;
}

TEST(SunburstLayout, CutOffEndsTheRingEvenBeforeLargerDescendants) {
  // With 10,000,000 bytes in the root, 6,367 bytes span just over 0.004 radians and 6,366 just under.
  MemTree t;
  FileNode* kept = t.file(t.root, "kept", 6367);
  FileNode* cut = t.folder(t.root, "cut");
  FileNode* cutChild = t.file(cut, "inside", 6366);
  FileNode* after = t.file(t.root, "after", 10);
  t.file(t.root, "rest", 10'000'000 - 6367 - 6366 - 10);
  ASSERT_GE(span(kTwoPi, 6367, 10'000'000), kMinAngle);
  ASSERT_LT(span(kTwoPi, 6366, 10'000'000), kMinAngle);
  const auto arcs = layout(t.root, 5);
  EXPECT_TRUE(arcOf(arcs, kept));
  EXPECT_FALSE(arcOf(arcs, cut));
  EXPECT_FALSE(arcOf(arcs, cutChild));
  EXPECT_FALSE(arcOf(arcs, after));
  EXPECT_EQ(arcs.size(), 2u);
  EXPECT_LT(arcs.back().end, kTwoPi);  // the rest of the ring stays empty

  // The cut-off also applies inside a folder's span, not against the whole circle.
  MemTree d;
  FileNode* half = d.folder(d.root, "half");
  FileNode* wide = d.file(half, "wide", 1000);
  FileNode* narrow = d.file(half, "narrow", 1);  // 2π·½·(1/1001) ≈ 0.0031 rad
  d.file(d.root, "other", 1001);
  const auto inner = layout(d.root, 5);
  EXPECT_TRUE(arcOf(inner, wide));
  EXPECT_FALSE(arcOf(inner, narrow));
}

TEST(SunburstLayout, DeletedAndEmptyChildrenAreLeftOut) {
  MemTree t;
  FileNode* gone = t.file(t.root, "gone", 5000);
  FileNode* emptyFolder = t.folder(t.root, "empty");
  FileNode* cleared = t.folder(t.root, "cleared");
  FileNode* x = t.file(cleared, "x", 400);
  FileNode* y = t.file(cleared, "y", 400);
  FileNode* keep = t.file(t.root, "keep", 1000);
  set(gone->deleted, true);
  set(x->deleted, true);
  set(y->deleted, true);
  const auto arcs = layout(t.root, 5);
  EXPECT_FALSE(arcOf(arcs, gone));
  EXPECT_FALSE(arcOf(arcs, emptyFolder));
  EXPECT_FALSE(arcOf(arcs, x));
  EXPECT_FALSE(arcOf(arcs, y));
  ASSERT_TRUE(arcOf(arcs, cleared));
  EXPECT_EQ(arcOf(arcs, keep)->colorIndex, 0);  // the deleted child takes no rank
  EXPECT_EQ(arcOf(arcs, cleared)->colorIndex, 1);
}

TEST(SunburstLayout, FiveRingsAtMost) {
  MemTree t;
  std::vector<FileNode*> chain{t.root};
  for (int depth = 1; depth <= 7; ++depth) chain.push_back(t.folder(chain.back(), "d" + std::to_string(depth)));
  t.file(chain.back(), "deep.bin", 1 << 20);
  const auto arcs = layout(t.root, 5);
  ASSERT_EQ(arcs.size(), 5u);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(arcs[static_cast<size_t>(i)].depth, i + 1);
    EXPECT_EQ(arcs[static_cast<size_t>(i)].node, chain[static_cast<size_t>(i) + 1]);
  }
  const Geometry g = Geometry::of(1200, 800, 5);
  EXPECT_DOUBLE_EQ(g.radius, 400);
  EXPECT_DOUBLE_EQ(g.thickness, 400.0 / 6);
  EXPECT_EQ(g.centre, QPointF(600, 400));
}

TEST(SunburstHitTest, RingsAnglesEdgesAndEmptyParts) {
  // Two halves: [0, π) and [π, 2π) in ring 1; the first half holds a file over its first half in ring 2.
  MemTree t;
  FileNode* right = t.folder(t.root, "right");
  FileNode* inner = t.file(right, "inner.bin", 256);
  t.own(right, 256);
  FileNode* left = t.file(t.root, "left.bin", 512);
  const auto arcs = layout(t.root, 5);
  ASSERT_EQ(arcOf(arcs, right)->end, std::numbers::pi);
  ASSERT_EQ(arcOf(arcs, left)->start, std::numbers::pi);

  const Geometry g = Geometry::of(600, 400, 5);  // R 200, t 200/6, centre (300, 200)
  const double t1 = g.thickness;
  auto at = [&](double angle, double radius) {
    return QPointF(g.centre.x() + radius * std::sin(angle), g.centre.y() - radius * std::cos(angle));
  };
  auto hit = [&](QPointF p) -> const FileNode* {
    auto i = hitTest(arcs, g, p);
    return i ? arcs[*i].node : nullptr;
  };
  struct Case {
    const char* what;
    QPointF point;
    const FileNode* expected;
  };
  const Case cases[] = {
      {"12 o'clock, ring 1", QPointF(300, 200 - 1.5 * t1), right},
      {"3 o'clock, ring 1", QPointF(300 + 1.5 * t1, 200), right},
      {"6 o'clock: the end of the first arc starts the next", QPointF(300, 200 + 1.5 * t1), left},
      {"9 o'clock", QPointF(300 - 1.5 * t1, 200), left},
      {"just inside ring 1", QPointF(300, 200 - 1.0001 * t1), right},
      {"in ring 1's outer gap", QPointF(300, 200 - (2 * t1 - 0.5)), right},
      {"ring 2, 12 o'clock", QPointF(300, 200 - 2.5 * t1), inner},
      {"ring 2 past the file: the folder's own bytes", at(0.75 * std::numbers::pi, 2.5 * t1), nullptr},
      {"ring 3: nothing", at(0.1, 3.5 * t1), nullptr},
      {"centre disc", QPointF(300 + 0.9 * t1, 200), nullptr},
      {"corner outside the circle", QPointF(590, 10), nullptr},
      {"just outside the circle", QPointF(300, 200 - 200.01), nullptr},
  };
  for (const Case& c : cases) EXPECT_EQ(hit(c.point), c.expected) << c.what;
  EXPECT_EQ(g.angle(QPointF(300, 100)), 0.0);
  EXPECT_EQ(g.angle(QPointF(300, 300)), std::numbers::pi);
  EXPECT_EQ(g.angle(QPointF(400, 200)), std::numbers::pi / 2);
  EXPECT_LT(g.angle(QPointF(300 - 1e-12, 100)), kTwoPi);  // never a full turn
}

TEST(SunburstHitTest, TapsGoUpOpenFoldersAndIgnoreTheRest) {
  MemTree t;
  FileNode* folder = t.folder(t.root, "folder");
  t.file(folder, "x.bin", 300);
  FileNode* package = t.folder(t.root, "Tool.app", StorageBucket::applications, true);
  t.file(package, "binary", 300);
  t.file(t.root, "file.bin", 300);
  t.own(t.root, 300);  // a quarter of ring 1 stays empty
  const auto arcs = layout(t.root, 5);
  const Geometry g = Geometry::of(400, 400, 5);
  auto pointAt = [&](double angle, int ring) {
    const double r = (ring + 0.5) * g.thickness;
    return QPointF(g.centre.x() + r * std::sin(angle), g.centre.y() - r * std::cos(angle));
  };
  const double quarter = std::numbers::pi / 2;
  EXPECT_EQ(tap(arcs, g, g.centre).kind, Tap::Kind::up);
  EXPECT_EQ(tap(arcs, g, g.centre + QPointF(g.thickness - 0.01, 0)).kind, Tap::Kind::up);
  const Tap open = tap(arcs, g, pointAt(0.5 * quarter, 1));
  EXPECT_EQ(open.kind, Tap::Kind::open);
  EXPECT_EQ(open.node, folder);
  EXPECT_EQ(tap(arcs, g, pointAt(0.5 * quarter, 2)).kind, Tap::Kind::nothing);  // a file in ring 2
  EXPECT_EQ(tap(arcs, g, pointAt(1.5 * quarter, 1)).kind, Tap::Kind::nothing);  // the package
  EXPECT_EQ(tap(arcs, g, pointAt(2.5 * quarter, 1)).kind, Tap::Kind::nothing);  // a file
  EXPECT_EQ(tap(arcs, g, pointAt(3.5 * quarter, 1)).kind, Tap::Kind::nothing);  // the empty quarter
  EXPECT_EQ(tap(arcs, Geometry::of(0, 0, 5), QPointF(0, 0)).kind, Tap::Kind::nothing);
}

TEST(SunburstDrawing, OpacitiesByRingAndHover) {
  const double expected[] = {1.0, 0.88, 0.76, 0.64, 0.52, 0.45, 0.45};
  for (int depth = 1; depth <= 7; ++depth) EXPECT_NEAR(ringOpacity(depth), expected[depth - 1], 1e-12) << depth;

  MemTree t;
  FileNode* a = t.folder(t.root, "a");
  FileNode* b = t.folder(a, "b");
  FileNode* file = t.file(b, "f.bin", 1000);
  FileNode* sibling = t.file(b, "g.bin", 500);
  FileNode* other = t.file(t.root, "other.bin", 800);
  const auto arcs = layout(t.root, 5);
  auto opacityOf = [&](const FileNode* n, const FileNode* hovered) { return opacity(*arcOf(arcs, n), hovered); };
  // Hovering the file in ring 3 dims everything else, its own folders included.
  EXPECT_DOUBLE_EQ(opacityOf(file, file), 0.76);
  for (const FileNode* n : {a, b, sibling, other}) EXPECT_DOUBLE_EQ(opacityOf(n, file), kDimmedOpacity);
  // Hovering a folder keeps it and what lies below it.
  EXPECT_DOUBLE_EQ(opacityOf(a, a), 1.0);
  EXPECT_DOUBLE_EQ(opacityOf(b, a), 0.88);
  EXPECT_DOUBLE_EQ(opacityOf(sibling, a), 0.76);
  EXPECT_DOUBLE_EQ(opacityOf(other, a), kDimmedOpacity);
  EXPECT_DOUBLE_EQ(opacityOf(other, nullptr), 1.0);
}

TEST(SunburstDrawing, CentreTitles) {
  struct Case {
    const char* root;
    const char* child;
    const char* title;
  };
  const Case cases[] = {
      {"/System/Volumes/Data", nullptr, "Disk"},         {"/", nullptr, "Disk"},
      {"/System/Volumes/Data", "Users", "Users"},        {"/home/someone", nullptr, "someone"},
      {"/System/Volumes/Datafile", nullptr, "Datafile"}, {"/mnt/", "x", "x"},
  };
  for (const Case& c : cases) {
    MemTree t(c.root);
    const FileNode* n = c.child ? t.folder(t.root, c.child) : t.root;
    EXPECT_EQ(centreTitle(*n), QString::fromUtf8(c.title)) << c.root;
  }
  MemTree users("/System/Volumes/Data");
  FileNode* x = users.folder(users.folder(users.root, "Users"), "x");
  EXPECT_EQ(centreTitle(*x), QStringLiteral("x"));
}
