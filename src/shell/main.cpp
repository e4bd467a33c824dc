#include <QApplication>
#include <cstdio>
#include <cstdlib>

#include "shell/MainWindow.h"
#include "shell/TolvexApp.h"

int main(int argc, char** argv) {
  const bool hasDisplay = std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY") || std::getenv("QT_QPA_PLATFORM");
  if (!hasDisplay) {
    std::fprintf(stderr,
                 "Tolvex needs a display. Without one, run it as:\n"
                 "  xvfb-run -a %s\n"
                 "or set QT_QPA_PLATFORM=offscreen.\n",
                 argv[0]);
    return 2;
  }
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("Tolvex"));
  QApplication::setOrganizationName(QStringLiteral("Tolvex"));
  QApplication::setApplicationVersion(QStringLiteral(TOLVEX_VERSION));
  QApplication::setStyle(QStringLiteral("Fusion"));
  tolvex::TolvexApp tolvex;
  tolvex.window().show();
  return app.exec();
}
