#include "app/SettingsChoices.h"

namespace talvenor {

std::array<int, kChoiceRows.size()> ChoicesFrom(const Settings& settings) {
  std::array<int, kChoiceRows.size()> chosen{};
  for (std::size_t r = 0; r < kChoiceRows.size(); ++r) {
    const ChoiceRow& row = kChoiceRows[r];
    chosen[r] = row.unmatched;
    for (int i = 0; i < row.count; ++i) {
      if (row.values[i] == settings.*row.field) {
        chosen[r] = i;
        break;
      }
    }
  }
  return chosen;
}

void StoreChoices(const std::array<int, kChoiceRows.size()>& chosen, Settings& settings) {
  for (std::size_t r = 0; r < kChoiceRows.size(); ++r) {
    const ChoiceRow& row = kChoiceRows[r];
    // No button marked stores what an unmatched value would show.
    const int i = chosen[r] >= 0 && chosen[r] < row.count ? chosen[r] : row.unmatched;
    settings.*row.field = row.values[i];
  }
}

}  // namespace talvenor
