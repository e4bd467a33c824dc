#pragma once
// The choices and texts of the settings window, without widgets.
#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tolvex {

// The low-space thresholds offered, in gigabytes; 0 is "Never".
inline constexpr std::array<int, 5> kLowSpaceChoices = {0, 5, 10, 20, 50};

// "Never" for 0, else the number and " GB" joined as plain text ("20 GB").
QString lowSpaceTitle(int gigabytes);
// The position of a stored threshold among the choices; none for any other value.
std::optional<int> lowSpaceIndex(int gigabytes);

// "Last run" value: the relative date of the clean, " · " and the bytes it freed (never below 0).
QString lastRunText(const QDateTime& lastClean, int64_t bytes, double now);

// What adding a chosen folder makes of the stored list: the new stored text, or none when the folder's
// path cannot be stored as one line of text (a line break, bytes that are not UTF-8). The data-volume
// prefix is folded first; a folder already listed is added again.
std::optional<QString> exclusionsAdding(const std::vector<std::string>& current, const std::string& chosen);
// The stored text without every entry equal to `selection` (all of them when it is listed twice);
// the list rewritten as it is when there is no selection or it is not listed.
QString exclusionsRemoving(const std::vector<std::string>& current, const std::optional<std::string>& selection);

}  // namespace tolvex
