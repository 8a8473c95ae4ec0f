#include "ui/Resources.h"

#include <QtCore/qglobal.h>

// Q_INIT_RESOURCE must be used outside any namespace.
static void RegisterTalvenorResources() { Q_INIT_RESOURCE(resources); }

namespace talvenor::ui {

void EnsureResources() {
  static const bool registered = [] {
    RegisterTalvenorResources();
    return true;
  }();
  (void)registered;
}

}  // namespace talvenor::ui
