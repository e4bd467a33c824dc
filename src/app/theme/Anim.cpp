#include "app/theme/Anim.h"

#include <QByteArray>
#include <QtGlobal>

namespace tolvex::Anim {

bool disabled() { return qgetenv("TOLVEX_NO_ANIMATIONS") == "1"; }

int duration(int ms) { return disabled() ? 0 : (ms < 0 ? 0 : ms); }

}  // namespace tolvex::Anim
