#pragma once
// Drives a filter bar the way a user does, for the bar's own tests and those of its screens.
#include <QComboBox>
#include <QWidget>
#include <gtest/gtest.h>

#include "views/analysis/FilterBar.h"

namespace tolvex::test {

template <typename T>
T* part(QWidget& widget, const char* name) {
  return widget.findChild<T*>(QLatin1String(name));
}

// The chip of `kind` anywhere inside `widget`.
inline KindChip* chip(QWidget& widget, FileKind kind) {
  for (KindChip* c : widget.findChildren<KindChip*>())
    if (c->kind() == kind) return c;
  return nullptr;
}

// What a user's pick in a closed picker does: the entry becomes current and is announced.
inline void pick(QComboBox* picker, const QString& text) {
  const int index = picker->findText(text);
  ASSERT_GE(index, 0) << text.toStdString();
  picker->setCurrentIndex(index);
  emit picker->activated(index);
}

}  // namespace tolvex::test
