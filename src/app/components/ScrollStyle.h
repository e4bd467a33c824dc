#pragma once
// The two looks of scrolling in the window: a page that scrolls over the ambient background, and the
// thin, quiet scroll bar of the inset lists.
#include <Qt>

class QAbstractScrollArea;
class QScrollArea;
class QWidget;

namespace tolvex {

// A frameless area that scrolls its page vertically, sized to its width, letting the background show
// through. The caller gives it its content with `setWidget`.
QScrollArea* makePageScroll(QWidget* parent, const char* objectName,
                            Qt::ScrollBarPolicy vertical = Qt::ScrollBarAsNeeded);

// A thin vertical bar on a transparent track in the palette's text colour. Call it again when the
// palette changes: the colour is taken from it.
void styleThinScrollBar(QAbstractScrollArea* area);

}  // namespace tolvex
