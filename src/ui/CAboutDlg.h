#pragma once
// The about box: the program icon, its name and version, and an OK button.
#include <QDialog>

namespace talvenor::ui {

class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
};

}  // namespace talvenor::ui
