#pragma once
// Numbers and byte counts as the interface writes them into its texts.
#include <QLocale>
#include <QString>
#include <algorithm>
#include <cstdint>

#include "model/Formatting.h"

namespace tolvex {

// A count grouped in the user's locale ("1,234").
inline QString countText(int64_t n) { return QLocale().toString(static_cast<qlonglong>(n)); }

// A byte count through the shared formatter, a negative count shown as 0.
inline QString bytesText(int64_t bytes) { return QString::fromStdString(formatBytes(std::max<int64_t>(bytes, 0))); }

}  // namespace tolvex
