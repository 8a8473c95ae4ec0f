#pragma once
// The detailed settings dialog's rows of buttons, the same in both faces: which stored value
// each button stands for, which button a stored value selects, and what OK stores.
#include <array>

#include "core/Settings.h"

namespace talvenor {

struct ChoiceRow {
  int firstId;  // the row's buttons have the ids firstId, firstId + 1, ...
  int count;
  int values[3];
  int Settings::*field;
  int unmatched;  // the button a stored value that matches none of the row selects
};

// LOGSZ, LEVEL (the third button is captioned "100" but stores 60), BAKSZ and FIRST, where any
// value other than 1 means "しない".
inline constexpr std::array<ChoiceRow, 4> kChoiceRows = {{{1026, 3, {100, 1000, 10000}, &Settings::LOGSZ, 0},
                                                          {1029, 3, {1, 10, 60}, &Settings::LEVEL, 0},
                                                          {1032, 3, {10, 100, 1000}, &Settings::BAKSZ, 0},
                                                          {1036, 2, {1, 0, 0}, &Settings::FIRST, 1}}};

// The index within each row of the button the settings select.
std::array<int, kChoiceRows.size()> ChoicesFrom(const Settings& settings);
// OK: each row's chosen button's value into the settings.
void StoreChoices(const std::array<int, kChoiceRows.size()>& chosen, Settings& settings);

}  // namespace talvenor
