#pragma once
// Opening a file with the desktop's program for it. Without one (no xdg-open, or nothing that
// opens the file's type) the user is told which file it was, to open it another way.
#include <QString>

class QWidget;

namespace talvenor::ui {

// path: an absolute local file. False when the desktop could not open it (after the message).
bool OpenWithDesktop(QWidget* owner, const QString& path);

}  // namespace talvenor::ui
