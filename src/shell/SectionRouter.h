#pragma once
#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/AppSection.h"

class QVBoxLayout;

namespace tolvex {

class AppState;

// The detail area of the main window: the screen of `AppState.section`. A screen is built afresh on
// every visit (its local state starts over) and the old one is removed with deleteLater(), since a
// button may change the section from inside its own click. The Overview is also rebuilt whole when
// the scan tree changes (`AppState.revision`); the Explorer stays and rebuilds only its content, so
// its sort order, selection, preview and map focus outlive a deletion.
class SectionRouter : public QWidget {
  Q_OBJECT
 public:
  using Factory = std::function<QWidget*(AppSection, AppState&)>;
  explicit SectionRouter(AppState& state, QWidget* parent = nullptr);

  // The screen builder; the default makes every section's screen of this build.
  void setFactory(Factory factory);
  QWidget* currentScreen() const { return current_; }
  AppSection currentSection() const { return section_; }

  static QWidget* makeScreen(AppSection section, AppState& state);

 private:
  void show(AppSection section);

  AppState& state_;
  Factory factory_;
  QVBoxLayout* layout_;
  QPointer<QWidget> current_;
  AppSection section_;
  int64_t revision_;
};

}  // namespace tolvex
