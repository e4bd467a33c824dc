#pragma once
// A picker showing a value that none of its items holds. A recommendation may set a filter to a
// size the picker doesn't offer, and a setting may be written by hand; a blank picker would hide
// what is in force, so the value is shown as an extra item of its own.
#include <QString>

class QComboBox;

namespace tolvex {

// Selects the item whose data is `value`. When there is none, an extra item with `text` and that
// data is put among the others in order of value (after the items without data) and selected; it
// goes again once the picker shows a value it holds.
void selectPickerValue(QComboBox* picker, qlonglong value, const QString& text);
// Whether the item at `index` is such an extra item.
bool isExtraPickerItem(const QComboBox* picker, int index);

}  // namespace tolvex
