#include "ui/HelpPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "app/HelpSearch.h"
#include "ui/Resources.h"

namespace talvenor::ui {

// Written anew each time, so that the page always matches this program.
QString WriteBuiltInHelpCopy(const QString& page, const QString& folder) {
  EnsureResources();
  QFile source(QStringLiteral(":/") + page);
  if (folder.isEmpty() || !source.open(QIODevice::ReadOnly)) return {};
  // Nobody else may put a page of their own where the browser will open ours.
  const QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;
  if (!QDir().mkpath(folder) || QFileInfo(folder).isSymLink() || !QFile::setPermissions(folder, ownerOnly)) return {};
  const QString target = QDir(folder).absoluteFilePath(page);
  if (!QDir().mkpath(QFileInfo(target).absolutePath())) return {};
  QSaveFile copy(target);
  if (!copy.open(QIODevice::WriteOnly) || copy.write(source.readAll()) < 0 || !copy.commit()) return {};
  return target;
}

HelpPlaces DefaultHelpPlaces() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return {QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TALVENOR_DATA_FROM_BIN)),
          runtime.isEmpty() ? QString() : runtime + QStringLiteral("/talvenor-help")};
}

QString FindHelpPage(const QString& page, const HelpPlaces& places) {
  const std::string found = talvenor::FindHelpPage(
      QFile::encodeName(page).toStdString(), QFile::encodeName(places.installed).toStdString(),
      [&places](const std::string& name) {
        return QFile::encodeName(
                   WriteBuiltInHelpCopy(QFile::decodeName(QByteArray::fromStdString(name)), places.runtime))
            .toStdString();
      });
  return QFile::decodeName(QByteArray::fromStdString(found));
}

}  // namespace talvenor::ui
