#include "ui/HelpPage.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>

#include "ui/Resources.h"

namespace talvenor::ui {
namespace {

// Written anew each time, so that the page always matches this program.
QString WriteBuiltInCopy(const QString& page, const QString& folder) {
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

}  // namespace

HelpPlaces DefaultHelpPlaces() {
  const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  return {QDir::cleanPath(QCoreApplication::applicationDirPath() + QStringLiteral("/" TALVENOR_DATA_FROM_BIN)),
          runtime.isEmpty() ? QString() : runtime + QStringLiteral("/talvenor-help")};
}

QString FindHelpPage(const QString& page, const HelpPlaces& places) {
  const QString local = QDir::current().absoluteFilePath(page);
  if (QFileInfo(local).isFile()) return local;
  if (!places.installed.isEmpty()) {
    const QString installed = QDir(places.installed).absoluteFilePath(page);
    if (QFileInfo(installed).isFile()) return installed;
  }
  return WriteBuiltInCopy(page, places.runtime);
}

}  // namespace talvenor::ui
