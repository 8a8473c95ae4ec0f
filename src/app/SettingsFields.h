#pragma once
// The settings as they are stored, in the order they are read and written: one list for the
// ini file and the registry alike. A number is read as 32 bits; one out of that range, missing
// or unreadable gives the member's default (its value in a default Settings).
#include <string>

#include "core/Settings.h"

namespace talvenor {

struct SettingsField {
  const char* name;
  std::string Settings::*path;  // a folder, stored as text; or
  int Settings::*number;        // a number
};

inline constexpr SettingsField kSettingsFields[] = {
    {"DIR1", &Settings::DIR1, nullptr},         {"DIR2", &Settings::DIR2, nullptr},
    {"LEFT", nullptr, &Settings::LEFT},         {"TOP", nullptr, &Settings::TOP},
    {"RIGHT", nullptr, &Settings::RIGHT},       {"BOTTOM", nullptr, &Settings::BOTTOM},
    {"LEVEL", nullptr, &Settings::LEVEL},       {"LOGSZ", nullptr, &Settings::LOGSZ},
    {"BAKSZ", nullptr, &Settings::BAKSZ},       {"FIRST", nullptr, &Settings::FIRST},
    {"COLUMNX1", nullptr, &Settings::COLUMNX1}, {"COLUMNX2", nullptr, &Settings::COLUMNX2},
    {"COLUMNX3", nullptr, &Settings::COLUMNX3},
};

// Each field read through the store's own readers, given the field's name and default.
template <class ReadPath, class ReadNumber>
Settings ReadSettings(ReadPath readPath, ReadNumber readNumber) {
  const Settings defaults;
  Settings out;
  for (const SettingsField& field : kSettingsFields) {
    if (field.path != nullptr) out.*field.path = readPath(field.name, defaults.*field.path);
    if (field.number != nullptr) out.*field.number = readNumber(field.name, defaults.*field.number);
  }
  return out;
}

template <class WritePath, class WriteNumber>
void WriteSettings(const Settings& settings, WritePath writePath, WriteNumber writeNumber) {
  for (const SettingsField& field : kSettingsFields) {
    if (field.path != nullptr) writePath(field.name, settings.*field.path);
    if (field.number != nullptr) writeNumber(field.name, settings.*field.number);
  }
}

}  // namespace talvenor
