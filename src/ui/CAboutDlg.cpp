#include "ui/CAboutDlg.h"

#include <QCoreApplication>
#include <QIcon>
#include <QLabel>
#include <QPushButton>

#include "ui/DialogUnits.h"
#include "ui/Resources.h"

namespace talvenor::ui {

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint) {
  EnsureResources();
  setWindowTitle(QCoreApplication::translate("talvenor", "Talvenorのﾊﾞｰｼﾞｮﾝ情報"));
  setFont(DialogFont());
  const DialogUnits units(font());
  setFixedSize(units.X(235), units.Y(55));

  auto* icon = new QLabel(this);
  const QRect iconRect = units.Rect(11, 17, 20, 20);
  icon->setGeometry(iconRect);
  icon->setPixmap(QIcon(QStringLiteral(":/icon128.png")).pixmap(iconRect.size()));
  auto* name = new QLabel(QStringLiteral("Talvenor Version 1.0"), this);
  name->setGeometry(units.Rect(40, 10, 119, 8));
  auto* maker = new QLabel(QStringLiteral("Copyright (C) QUORVATH"), this);
  maker->setGeometry(units.Rect(40, 25, 119, 8));
  for (QLabel* label : {name, maker}) label->setTextFormat(Qt::PlainText);

  auto* ok = new QPushButton(QStringLiteral("OK"), this);
  ok->setObjectName(QStringLiteral("1"));
  ok->setGeometry(units.Rect(178, 7, 50, 14));
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
}

}  // namespace talvenor::ui
