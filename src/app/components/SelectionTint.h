#pragma once
// How the tables of the screens show selected rows.
class QWidget;

namespace tolvex {

// Tints selected rows with the highlight colour at a light (20 %) or dark (42 %) strength and keeps
// their own text colours, so coloured bars, dots and badges stay readable on them. Call again when
// the application palette changes.
void applySelectionTint(QWidget* view);

}  // namespace tolvex
