#include "views/analysis/logic/NodeLists.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QLocale>
#include <QRegularExpression>
#include <QStringDecoder>
#include <algorithm>
#include <cmath>

#include "app/ScanTargetInfo.h"
#include "model/DisplayPath.h"
#include "model/Formatting.h"
#include "model/SafetyVerdict.h"
#include "platform/Paths.h"

namespace tolvex {
namespace {
QString tr(const char* text) { return QCoreApplication::translate("ExplorerView", text); }
}  // namespace

std::vector<FileNode*> shownChildren(const FileNode& folder) {
  std::vector<FileNode*> out;
  if (folder.isGone()) return out;
  out.reserve(folder.children.size());
  for (FileNode* child : folder.children)
    if (!get(child->deleted)) out.push_back(child);
  return out;
}

std::vector<FileNode*> largestChildren(const FileNode& folder, size_t limit, bool positiveOnly) {
  struct Entry {
    int64_t size;
    size_t index;
    FileNode* node;
  };
  std::vector<Entry> entries;
  if (folder.isGone()) return {};
  for (size_t i = 0; i < folder.children.size(); ++i) {
    FileNode* child = folder.children[i];
    if (get(child->deleted)) continue;
    const int64_t size = get(child->size);
    if (positiveOnly && size <= 0) continue;
    entries.push_back({size, i, child});
  }
  // Size descending, then stored position: a total order, so a partial sort gives what a stable
  // sort would, without sorting a large folder whole.
  const size_t n = std::min(limit, entries.size());
  std::partial_sort(
      entries.begin(), entries.begin() + static_cast<std::ptrdiff_t>(n), entries.end(),
      [](const Entry& a, const Entry& b) { return a.size != b.size ? a.size > b.size : a.index < b.index; });
  std::vector<FileNode*> out;
  out.reserve(n);
  for (size_t i = 0; i < n; ++i) out.push_back(entries[i].node);
  return out;
}

QString folderTitle(const FileNode& folder, const ScanTarget& target) {
  if (!folder.parent) return title(target);
  return QString::fromUtf8(folder.name);
}

QString crumbLabel(const FileNode& folder, size_t index, std::string_view home) {
  if (index == 0) return QString::fromUtf8(displayPath(folder.path(), home));
  return QString::fromUtf8(folder.name);
}

std::vector<FileNode*> ancestorChain(FileNode* node) {
  std::vector<FileNode*> chain;
  for (FileNode* n = node; n; n = n->parent) chain.push_back(n);
  std::reverse(chain.begin(), chain.end());
  return chain;
}

PlanItem planItemFor(const std::string& path, int64_t size, const SafetyContext& safety) {
  PlanItem item;
  item.path = path;
  item.name = lastPathComponent(path);
  item.size = size;
  item.removal = Removal::trash;
  item.verdict = SafetyVerdict::forPath(path, safety);
  return item;
}

std::vector<PlanItem> deletionItems(const std::vector<FileNode*>& nodes, const SafetyContext& safety) {
  std::vector<PlanItem> items;
  items.reserve(nodes.size());
  for (const FileNode* node : nodes) items.push_back(planItemFor(node->path(), get(node->size), safety));
  return items;
}

std::vector<FileNode*> nodesWithSerials(const std::vector<FileNode*>& all, const std::vector<uint64_t>& serials) {
  std::vector<FileNode*> out;
  if (serials.empty()) return out;
  for (FileNode* node : all)
    if (std::binary_search(serials.begin(), serials.end(), node->serial)) out.push_back(node);
  return out;
}

bool canStoreExclusion(const std::string& foldedPath) {
  if (foldedPath.empty() || foldedPath.find('\n') != std::string::npos || foldedPath.find('\r') != std::string::npos)
    return false;
  QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
  const QString text = decoder(QByteArrayView(foldedPath.data(), static_cast<qsizetype>(foldedPath.size())));
  return !decoder.hasError() && text.toStdString() == foldedPath;
}

QString exclusionsWith(const std::vector<std::string>& current, const std::string& foldedPath) {
  QStringList lines;
  for (const std::string& p : current) lines << QString::fromStdString(p);
  lines << QString::fromStdString(foldedPath);
  return lines.join(QLatin1Char('\n'));
}

double shareOf(int64_t size, int64_t total) {
  if (total < 1) return 0;
  const double f = static_cast<double>(size) / static_cast<double>(total);
  return std::isfinite(f) ? f : 0;
}

QString filesText(const FileNode& node) {
  if (!node.isDirectory) return QStringLiteral("\u2014");
  return QLocale().toString(static_cast<qlonglong>(get(node.fileCount)));
}

QString shortDateText(double seconds) {
  if (!(seconds > 86400.0)) return QStringLiteral("\u2014");
  const QDate date = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds)).date();
  return QLocale().toString(date, QStringLiteral("MMM d, yyyy"));
}

QString shortTimeText(const QTime& time) {
  QString format = QLocale().timeFormat(QLocale::ShortFormat);
  format.remove(QRegularExpression(QStringLiteral("[:.]?s+(\\.z+)?")));
  return QLocale().toString(time, format.trimmed());
}

QString shortDateTimeText(double seconds) {
  if (!(seconds > 86400.0)) return QStringLiteral("\u2014");
  const QDateTime at = QDateTime::fromSecsSinceEpoch(static_cast<qint64>(seconds));
  return QCoreApplication::translate("DateText", "%1 at %2").arg(shortDateText(seconds), shortTimeText(at.time()));
}

QString kindText(const FileNode& node) {
  const QString ext = QString::fromUtf8(pathExtension(node.name));
  if (!ext.isEmpty()) return ext.toLower().toUpper();
  return QCoreApplication::translate("FileKind", title(node.kind));
}

QString smallFilesText(const FileNode& folder) {
  return tr("Also: %1 small files directly in this folder · %2")
      .arg(QLocale().toString(static_cast<qlonglong>(get(folder.smallFilesCount))),
           bytesText(get(folder.smallFilesSize)));
}

QString fileCountText(int64_t count) { return tr("%1 files").arg(QLocale().toString(static_cast<qlonglong>(count))); }

QString selectedText(int count) {
  return QCoreApplication::translate("SelectionBar", "%1 selected").arg(QLocale().toString(count));
}

QString bytesText(int64_t bytes) { return QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0))); }

std::vector<int> fitColumns(int available, const std::vector<int>& minimum, const std::vector<int>& ideal,
                            size_t stretch) {
  const size_t n = ideal.size();
  std::vector<int> widths(ideal);
  if (n == 0) return widths;
  long idealSum = 0, slack = 0;
  for (size_t i = 0; i < n; ++i) {
    idealSum += ideal[i];
    slack += std::max(ideal[i] - minimum[i], 0);
  }
  if (idealSum > available && stretch < n) {
    // The stretch column first.
    const long give = std::min<long>(idealSum - available, std::max(ideal[stretch] - minimum[stretch], 0));
    widths[stretch] -= static_cast<int>(give);
    idealSum -= give;
    slack -= give;
  }
  if (idealSum > available && slack > 0) {
    const long shortfall = std::min<long>(idealSum - available, slack);
    long taken = 0;
    for (size_t i = 0; i < n; ++i) {
      const long room = std::max(widths[i] - minimum[i], 0);
      const long cut = shortfall * room / slack;
      widths[i] -= static_cast<int>(cut);
      taken += cut;
    }
    // Rounding leftovers come off the columns that still have room, one pixel each, first to last.
    while (taken < shortfall) {
      bool any = false;
      for (size_t i = 0; i < n && taken < shortfall; ++i) {
        if (widths[i] > minimum[i]) {
          --widths[i];
          ++taken;
          any = true;
        }
      }
      if (!any) break;
    }
  } else if (idealSum < available && stretch < n) {
    widths[stretch] += static_cast<int>(available - idealSum);
  }
  return widths;
}

}  // namespace tolvex
