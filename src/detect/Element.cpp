#include "detect/Element.h"

namespace talvenor {

const std::string& SharedFolder::Empty() {
  static const std::string empty;
  return empty;
}

}  // namespace talvenor
