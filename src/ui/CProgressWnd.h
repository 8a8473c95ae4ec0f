#pragma once
// A small window with a message, a bar and a Cancel button for a long operation that runs on
// the user-interface thread: the operation steps the bar and lets waiting input through between
// its units of work, then reads m_bCancelRequested.
#include <QPoint>
#include <QPointer>
#include <QString>
#include <memory>
#include <string>

#include "app/ProgressCount.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QWidget;

namespace talvenor {
class SettingsStore;
}

namespace talvenor::ui {

class CProgressWnd {
 public:
  static constexpr int kCancelId = 10;
  static constexpr int kTextId = 11;
  static constexpr int kBarId = 12;

  // positions: where X and Y are kept; none keeps no position.
  CProgressWnd(QWidget* owner, const std::string& title, bool smooth, SettingsStore* positions);
  ~CProgressWnd();
  CProgressWnd(const CProgressWnd&) = delete;
  CProgressWnd& operator=(const CProgressWnd&) = delete;

  bool Create(QWidget* owner, const std::string& title, bool smooth);
  bool EnterModal(const std::string& title, bool smooth);
  void SetRange(int lower, int upper, int step);
  void SetText(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // Returns the bar's previous position.
  int SetPos(int position);
  int Step();
  void Reset();
  void Show();
  void Hide();
  // Dispatches the input that is waiting; Esc (when cancelOnEsc) and the Cancel button cancel.
  void PumpMessages(bool cancelOnEsc);
  void OnCancelButton();
  void Destroy();

  // The top-level window, null before Create and after it is destroyed.
  QWidget* Window() const { return m_wnd.data(); }

  bool m_bCancelRequested = false;

 private:
  class InputWatch;

  void LayOut(int lines, int width);
  void SavePosition();
  void RestorePosition();
  void CentreOverOwner();
  void MoveFrameTo(QPoint corner);

  QPointer<QWidget> m_owner;
  QPointer<QWidget> m_pDisabledOwner;
  SettingsStore* m_positions;
  bool m_bModalMode = false;
  bool m_bKeepPosition = true;
  bool m_bCancelOnEsc = false;
  bool m_bCentred = false;  // placed over its owner, not at the saved corner
  ProgressCount m_count;
  int m_nTextLines = 4;
  QPointer<QWidget> m_wnd;
  QLabel* m_staticText = nullptr;
  QProgressBar* m_progressBar = nullptr;
  QPushButton* m_buttonCancel = nullptr;
  QString m_strCaption = QStringLiteral("Progress");
  QString m_strCancelText = QStringLiteral(" Cancel ");
  std::unique_ptr<InputWatch> m_inputWatch;
};

}  // namespace talvenor::ui
