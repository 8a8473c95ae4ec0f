#include "ui/DesktopOpen.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QUrl>

#include "ui/MessageBox.h"

namespace talvenor::ui {

bool OpenWithDesktop(QWidget* owner, const QString& path) {
  if (QDesktopServices::openUrl(QUrl::fromLocalFile(path))) return true;
  MessageBox::Show(owner, QCoreApplication::translate(
                              "talvenor", "%1 を開くプログラムが見つかりません。このファイルをご自分で開いてください。")
                              .arg(path)
                              .toStdString());
  return false;
}

}  // namespace talvenor::ui
