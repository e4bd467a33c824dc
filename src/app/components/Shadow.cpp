#include "app/components/Shadow.h"

#include <QHash>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtWidgets/qdrawutil.h>
#include <algorithm>
#include <cmath>
#include <vector>

namespace tolvex {
namespace {

// Three box blurs approximate a Gaussian; run on the alpha channel only.
void blurAlpha(std::vector<float>& a, int w, int h, int box) {
  std::vector<float> tmp(a.size());
  auto pass = [&](bool horizontal) {
    const int n = horizontal ? w : h;
    const int lines = horizontal ? h : w;
    for (int l = 0; l < lines; ++l) {
      auto at = [&](int i) -> float& {
        return horizontal ? a[static_cast<size_t>(l * w + i)] : a[static_cast<size_t>(i * w + l)];
      };
      auto out = [&](int i) -> float& {
        return horizontal ? tmp[static_cast<size_t>(l * w + i)] : tmp[static_cast<size_t>(i * w + l)];
      };
      float sum = 0;
      for (int i = -box; i <= box; ++i) sum += (i >= 0 && i < n) ? at(i) : 0.f;
      for (int i = 0; i < n; ++i) {
        out(i) = sum / static_cast<float>(2 * box + 1);
        const int add = i + box + 1;
        const int drop = i - box;
        sum += (add < n ? at(add) : 0.f) - (drop >= 0 ? at(drop) : 0.f);
      }
    }
    a.swap(tmp);
  };
  for (int k = 0; k < 3; ++k) {
    pass(true);
    pass(false);
  }
}

// A blurred rounded square with corners of `radius`, plus a margin of `blur` around it; the middle is
// one pixel wide so it can be stretched as a nine-slice.
QImage shadowMask(int radius, int blur) {
  static QHash<quint64, QImage> cache;
  const quint64 key = (static_cast<quint64>(radius) << 32) | static_cast<quint64>(blur);
  auto it = cache.constFind(key);
  if (it != cache.constEnd()) return *it;
  const int core = 2 * radius + 1;
  const int size = core + 2 * blur;
  std::vector<float> alpha(static_cast<size_t>(size * size), 0.f);
  {
    QImage shape(size, size, QImage::Format_ARGB32_Premultiplied);
    shape.fill(Qt::transparent);
    QPainter p(&shape);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    p.drawRoundedRect(QRectF(blur, blur, core, core), radius, radius);
    p.end();
    for (int y = 0; y < size; ++y) {
      const auto* line = reinterpret_cast<const QRgb*>(shape.constScanLine(y));
      for (int x = 0; x < size; ++x)
        alpha[static_cast<size_t>(y * size + x)] = static_cast<float>(qAlpha(line[x])) / 255.f;
    }
  }
  // A box of about sigma·√3 per pass gives a Gaussian of sigma ≈ blur / 2.
  const int box = std::max(1, static_cast<int>(std::lround(blur / 2.0 * 1.0)));
  blurAlpha(alpha, size, size, box);
  QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
  for (int y = 0; y < size; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < size; ++x) {
      const int a = std::clamp(static_cast<int>(std::lround(alpha[static_cast<size_t>(y * size + x)] * 255.f)), 0, 255);
      line[x] = qRgba(0, 0, 0, a);
    }
  }
  if (cache.size() > 64) cache.clear();
  cache.insert(key, image);
  return image;
}

}  // namespace

void paintRoundedShadow(QPainter* painter, const QRectF& shape, qreal radius, qreal blurRadius, const QColor& color,
                        const QPointF& offset) {
  if (!painter || shape.isEmpty() || color.alpha() == 0) return;
  const int r =
      std::max(1, static_cast<int>(std::lround(std::min(radius, std::min(shape.width(), shape.height()) / 2))));
  const int blur = std::max(1, static_cast<int>(std::lround(blurRadius)));
  QImage mask = shadowMask(r, blur);
  QImage tinted(mask.size(), QImage::Format_ARGB32_Premultiplied);
  tinted.fill(color);
  {
    QPainter p(&tinted);
    p.setCompositionMode(QPainter::CompositionMode_DestinationIn);
    p.drawImage(0, 0, mask);
  }
  const QPixmap pixmap = QPixmap::fromImage(tinted);
  const QRect target = shape.translated(offset).adjusted(-blur, -blur, blur, blur).toAlignedRect();
  const int m = r + blur;
  qDrawBorderPixmap(painter, target, QMargins(m, m, m, m), pixmap);
}

}  // namespace tolvex
