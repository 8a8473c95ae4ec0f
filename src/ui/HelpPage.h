#pragma once
// Help's places on Linux: the installed copy beside the program, and the copy built into the
// program, written to a private runtime folder so that the desktop's browser can open it from a
// start anywhere. The order of the search is FindHelpPage's in app/HelpSearch.h.
#include <QString>

namespace talvenor::ui {

struct HelpPlaces {
  QString installed;  // the folder that holds the installed "help/" folder
  QString runtime;    // a private folder for the built-in copy
};

// <program folder>/../share/talvenor and <runtime folder>/talvenor-help.
HelpPlaces DefaultHelpPlaces();

// Writes the built-in copy of page (relative, such as "help/main.htm") under folder; its
// absolute path, or empty when it cannot be written or the program has no such page.
QString WriteBuiltInHelpCopy(const QString& page, const QString& folder);

// The absolute file to open, or empty when there is none anywhere.
QString FindHelpPage(const QString& page, const HelpPlaces& places = DefaultHelpPlaces());

}  // namespace talvenor::ui
