#include "views/analysis/logic/CsvExport.h"

#include <QCoreApplication>
#include <algorithm>
#include <cmath>
#include <cstdio>

#include "model/DisplayPath.h"
#include "platform/Utf8.h"
#include "views/analysis/logic/FileLists.h"

namespace tolvex {

namespace {

// Days since 1970-01-01 to a civil date (proleptic Gregorian).
void civilFromDays(int64_t days, int64_t& year, unsigned& month, unsigned& day) {
  days += 719468;
  const int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const auto doe = static_cast<unsigned>(days - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = doy - (153 * mp + 2) / 5 + 1;
  month = mp < 10 ? mp + 3 : mp - 9;
  year = static_cast<int64_t>(yoe) + era * 400 + (month <= 2 ? 1 : 0);
}

std::string decimal(int64_t value) { return std::to_string(value); }

std::string utf8(const QString& text) { return text.toStdString(); }

}  // namespace

std::string csvField(std::string_view value) {
  // Paths and names are bytes and need not be UTF-8 text, but the file must stay valid UTF-8 for
  // the programs that read it. Each byte that does not belong to a valid UTF-8 sequence is written
  // as U+FFFD, the replacement character, which is also how the file table shows such a byte: the
  // rest of the path is kept as it is, so the row still reads as the file it stands for.
  const std::string text = utf8WithReplacements(value);
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (char c : text) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string isoDateTime(double seconds) {
  // Formatters count whole seconds toward the past; dates outside the years 1 to 9999 (and values
  // that are not numbers, which no scan produces) are held at the nearest end.
  constexpr double kFirst = -62135596800.0, kLast = 253402300799.0;
  if (std::isnan(seconds)) seconds = 0;
  const auto whole = static_cast<int64_t>(std::floor(std::clamp(seconds, kFirst, kLast)));
  int64_t days = whole / 86400, rest = whole % 86400;
  if (rest < 0) {
    rest += 86400;
    --days;
  }
  int64_t year = 0;
  unsigned month = 0, day = 0;
  civilFromDays(days, year, month, day);
  char text[96];
  std::snprintf(text, sizeof text, "%04lld-%02u-%02uT%02lld:%02lld:%02lldZ", static_cast<long long>(year), month, day,
                static_cast<long long>(rest / 3600), static_cast<long long>(rest / 60 % 60),
                static_cast<long long>(rest % 60));
  return text;
}

std::string csvLine(const FileNode& node) {
  const std::string fields[] = {
      csvField(foldedPath(node.path())),
      csvField(node.name),
      csvField(decimal(get(node.size))),
      csvField(decimal(get(node.logicalSize))),
      csvField(utf8(kindTitle(node.kind))),
      csvField(utf8(QCoreApplication::translate("StorageBucket", title(get(node.bucket))))),
      csvField(isoDateTime(get(node.modified))),
  };
  std::string line;
  for (const std::string& field : fields) {
    if (!line.empty()) line += ',';
    line += field;
  }
  line += '\n';
  return line;
}

std::string csvText(const std::vector<FileNode*>& nodes) {
  std::string text(kCsvHeader);
  for (const FileNode* node : nodes) text += csvLine(*node);
  return text;
}

QString largeFilesExportName() { return QCoreApplication::translate("LargeFilesView", "Tolvex-files"); }

QString kindExportName(FileKind kind) { return QStringLiteral("Tolvex-") + kindTitle(kind); }

}  // namespace tolvex
