#pragma once
// Where Help finds its page. First under the current directory, where the program has always
// looked; then the installed copy; then the copy built into the program, written to a private
// runtime folder so that the desktop's browser can open it from a start anywhere.
#include <QString>

namespace talvenor::ui {

struct HelpPlaces {
  QString installed;  // the folder that holds the installed "help/" folder
  QString runtime;    // a private folder for the built-in copy
};

// <program folder>/../share/talvenor and <runtime folder>/talvenor-help.
HelpPlaces DefaultHelpPlaces();

// page: relative, such as "help/main.htm". The absolute file to open, or empty when there is
// none anywhere.
QString FindHelpPage(const QString& page, const HelpPlaces& places = DefaultHelpPlaces());

}  // namespace talvenor::ui
