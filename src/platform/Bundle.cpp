#include "platform/Bundle.h"

#include "platform/Paths.h"
#include "platform/PropertyList.h"

namespace tolvex {

namespace {

std::optional<std::string> identifierOf(const std::optional<PropertyList>& plist) {
  if (!plist) return std::nullopt;
  auto identifier = plist->string("CFBundleIdentifier");
  if (!identifier || identifier->empty()) return std::nullopt;
  return identifier;
}

}  // namespace

std::optional<std::string> bundleIdentifierFromPlist(std::string_view bytes) {
  return identifierOf(PropertyList::parse(bytes));
}

std::optional<std::string> bundleIdentifier(const std::string& bundlePath) {
  return identifierOf(PropertyList::readFile(appendPath(bundlePath, "Contents/Info.plist")));
}

}  // namespace tolvex
