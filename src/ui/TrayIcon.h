#pragma once
// The notification-area icon behind a small interface, so that tests can stand in for the
// desktop's tray.
#include <QString>
#include <functional>
#include <memory>
#include <string>

namespace talvenor::ui {

class TrayIcon {
 public:
  static constexpr int kIconId = 1;
  // The mouse messages the icon reports.
  static constexpr int kLeftButtonDown = 0x201;
  static constexpr int kRightButtonDown = 0x204;
  static constexpr int kLeftButtonDoubleClick = 0x203;
  static constexpr int kMiddleButtonDown = 0x207;

  virtual ~TrayIcon() = default;

  // False on desktops without a notification area (and on the offscreen platform).
  virtual bool IsAvailable() const = 0;
  // Shows the program icon; when it is shown already nothing changes, so there is never more
  // than one. Its tooltip is the last one set.
  virtual void Add() = 0;
  virtual void Remove() = 0;
  virtual bool IsShown() const = 0;
  // The text shown while the pointer rests on the icon: the program's state at a glance.
  virtual void SetToolTip(const QString& text) = 0;
  // A balloon beside the shown icon that goes away by itself.
  virtual void ShowBalloon(const std::string& title, const std::string& text) = 0;

  // Called with the icon id and the mouse message.
  std::function<void(int iconId, int mouseMessage)> onNotify;
};

// The desktop's own tray (QSystemTrayIcon).
std::unique_ptr<TrayIcon> MakeSystemTrayIcon();

}  // namespace talvenor::ui
