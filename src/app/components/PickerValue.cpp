#include "app/components/PickerValue.h"

#include <QComboBox>

namespace tolvex {
namespace {
constexpr int kExtraRole = Qt::UserRole + 64;
}  // namespace

bool isExtraPickerItem(const QComboBox* picker, int index) {
  return index >= 0 && index < picker->count() && picker->itemData(index, kExtraRole).toBool();
}

void selectPickerValue(QComboBox* picker, qlonglong value, const QString& text) {
  for (int i = picker->count() - 1; i >= 0; --i)
    if (isExtraPickerItem(picker, i)) picker->removeItem(i);
  int index = picker->findData(QVariant::fromValue(value));
  if (index < 0) {
    index = picker->count();
    for (int i = 0; i < picker->count(); ++i) {
      const QVariant data = picker->itemData(i);
      if (data.isValid() && data.toLongLong() > value) {
        index = i;
        break;
      }
    }
    picker->insertItem(index, text, QVariant::fromValue(value));
    picker->setItemData(index, true, kExtraRole);
  }
  picker->setCurrentIndex(index);
}

}  // namespace tolvex
