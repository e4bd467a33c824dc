#pragma once
// The comma-separated text of a file list, as spreadsheets and scripts read it: UTF-8 without a
// byte-order mark, a line feed after every line, a fixed header, then one line per file with seven
// fields, each in double quotes with inner double quotes doubled.
#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "model/FileKind.h"
#include "model/FileNode.h"

namespace tolvex {

inline constexpr std::string_view kCsvHeader = "Path,Name,Bytes on disk,Bytes,Kind,Category,Modified\n";

// The whole file for `nodes`, in the order given.
std::string csvText(const std::vector<FileNode*>& nodes);
// One line (with its line feed) for a node.
std::string csvLine(const FileNode& node);
// A field in double quotes, inner quotes doubled, made valid UTF-8 (see the definition).
std::string csvField(std::string_view value);
// Seconds since 1970 as an ISO 8601 date-time in UTC, in whole seconds: "1970-01-01T00:00:00Z".
std::string isoDateTime(double secondsSince1970);

// The proposed file names (without ".csv") of the two screens' exports.
QString largeFilesExportName();
QString kindExportName(FileKind kind);

}  // namespace tolvex
