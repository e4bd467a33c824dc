#include "app/StoreNotice.h"

#include <QCoreApplication>
#include <QStringList>

#include "platform/Identifiers.h"
#include "platform/Paths.h"

namespace tolvex {

std::optional<Toast> setAsideToast(const std::vector<std::string>& setAsidePaths) {
  if (setAsidePaths.empty()) return std::nullopt;
  QStringList names;
  for (const std::string& path : setAsidePaths) names << QString::fromStdString(lastPathComponent(path));
  Toast toast;
  toast.id = makeUUID();
  toast.message = QCoreApplication::translate("AppState", "Some of Tolvex’s records couldn’t be read");
  toast.detail = QCoreApplication::translate("AppState", "Kept as %1 in Tolvex’s folder. New records start now.")
                     .arg(names.join(QStringLiteral(", ")));
  toast.warning = true;
  return toast;
}

}  // namespace tolvex
