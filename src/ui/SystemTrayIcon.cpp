#include <QIcon>
#include <QSystemTrayIcon>

#include "ui/Resources.h"
#include "ui/TrayIcon.h"

namespace talvenor::ui {
namespace {

class SystemTrayIcon final : public TrayIcon {
 public:
  bool IsAvailable() const override { return QSystemTrayIcon::isSystemTrayAvailable(); }

  void Add() override {
    if (m_icon) return;
    EnsureResources();
    m_icon = std::make_unique<QSystemTrayIcon>(QIcon(QStringLiteral(":/icon128.png")));
    m_icon->setToolTip(m_toolTip);
    QObject::connect(m_icon.get(), &QSystemTrayIcon::activated, [this](QSystemTrayIcon::ActivationReason reason) {
      if (onNotify) onNotify(kIconId, MouseMessage(reason));
    });
    m_icon->show();
  }

  void Remove() override { m_icon.reset(); }
  void SetToolTip(const QString& text) override {
    m_toolTip = text;
    if (m_icon) m_icon->setToolTip(text);
  }
  bool IsShown() const override { return m_icon != nullptr; }

  void ShowBalloon(const std::string& title, const std::string& text) override {
    if (m_icon)
      m_icon->showMessage(QString::fromStdString(title), QString::fromStdString(text), QSystemTrayIcon::Warning);
  }

 private:
  static int MouseMessage(QSystemTrayIcon::ActivationReason reason) {
    switch (reason) {
      case QSystemTrayIcon::Trigger:
        return kLeftButtonDown;
      case QSystemTrayIcon::Context:
        return kRightButtonDown;
      case QSystemTrayIcon::DoubleClick:
        return kLeftButtonDoubleClick;
      case QSystemTrayIcon::MiddleClick:
        return kMiddleButtonDown;
      case QSystemTrayIcon::Unknown:
        break;
    }
    return 0;
  }

  std::unique_ptr<QSystemTrayIcon> m_icon;
  QString m_toolTip;
};

}  // namespace

std::unique_ptr<TrayIcon> MakeSystemTrayIcon() { return std::make_unique<SystemTrayIcon>(); }

}  // namespace talvenor::ui
