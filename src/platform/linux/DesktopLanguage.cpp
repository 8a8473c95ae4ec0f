#include "platform/DesktopLanguage.h"

namespace talvenor::platform {

// Without LANG and its kin a Linux program is in the C locale: no desktop choice to fall back on.
std::string DesktopLocale() { return {}; }

}  // namespace talvenor::platform
