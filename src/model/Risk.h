#pragma once
#include <array>
#include <optional>
#include <string>

namespace tolvex {

// How careful the user must be with an item. Compares by raw value: safe < review < protected.
enum class Risk : int { safe = 0, review = 1, protected_ = 2 };

inline constexpr std::array<Risk, 3> kAllRisks = {Risk::safe, Risk::review, Risk::protected_};

inline const char* label(Risk risk) {
  switch (risk) {
    case Risk::safe: return "Safe";
    case Risk::review: return "Review";
    case Risk::protected_: return "Protected";
  }
  return "";
}

inline std::optional<Risk> riskFromRaw(int raw) {
  if (raw < 0 || raw > 2) return std::nullopt;
  return static_cast<Risk>(raw);
}

struct SafetyContext;  // model/SafetyVerdict.h

// A risk level with the reason for it, given for a path.
struct SafetyVerdict {
  Risk risk = Risk::safe;
  std::string reason;
  bool operator==(const SafetyVerdict&) const = default;

  // The verdict for a path (model/SafetyVerdict.h) in the context of the user's places.
  static SafetyVerdict forPath(const std::string& path, const SafetyContext& context);
};

}  // namespace tolvex
