#include "app/SettingsStore.h"

#include <QSettings>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <limits>

#include "app/SettingsFields.h"

namespace talvenor {
namespace {

const char* const kGroup = "Settings";

bool IsValidUtf8(const std::string& s) {
  const QByteArray bytes = QByteArray::fromStdString(s);
  return QString::fromUtf8(bytes).toUtf8() == bytes;
}

// Paths are bytes. Valid UTF-8 is stored as text so the file stays editable by hand; any
// other name is stored as a byte array so that no byte is lost.
QVariant PathValue(const std::string& path) {
  if (IsValidUtf8(path)) return QString::fromStdString(path);
  return QByteArray::fromStdString(path);
}

std::string ReadPath(const QSettings& s, const char* key, const std::string& fallback) {
  const QVariant v = s.value(key);
  if (!v.isValid()) return fallback;
  if (v.typeId() == QMetaType::QByteArray) return v.toByteArray().toStdString();
  // A comma written by hand without quotes makes the ini reader split the path into a list.
  if (v.typeId() == QMetaType::QStringList) return v.toStringList().join(',').toStdString();
  if (v.canConvert<QString>()) return v.toString().toStdString();
  return fallback;
}

int ReadInt(const QSettings& s, const char* key, int fallback) {
  // Read wide, so that a number too large for the registry's 32 bits is a bad value that gets
  // its default, as any other, instead of wrapping round to some other number.
  bool ok = false;
  const qlonglong value = s.value(key, fallback).toLongLong(&ok);
  if (!ok || value < std::numeric_limits<int>::min() || value > std::numeric_limits<int>::max()) return fallback;
  return static_cast<int>(value);
}

}  // namespace

SettingsStore::SettingsStore(std::string applicationName) : m_applicationName(std::move(applicationName)) {}

std::string SettingsStore::FilePath() const {
  // GenericConfigLocation honours XDG_CONFIG_HOME and falls back to ~/.config.
  const QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  return (base + "/QUORVATH/Q7/" + QString::fromStdString(m_applicationName) + ".ini").toStdString();
}

Settings SettingsStore::Load() const {
  QSettings s(QString::fromStdString(FilePath()), QSettings::IniFormat);
  s.beginGroup(kGroup);
  return ReadSettings([&s](const char* key, const std::string& fallback) { return ReadPath(s, key, fallback); },
                      [&s](const char* key, int fallback) { return ReadInt(s, key, fallback); });
}

void SettingsStore::Save(const Settings& v) const {
  QSettings s(QString::fromStdString(FilePath()), QSettings::IniFormat);
  s.beginGroup(kGroup);
  WriteSettings(
      v, [&s](const char* key, const std::string& path) { s.setValue(key, PathValue(path)); },
      [&s](const char* key, int number) { s.setValue(key, number); });
  s.endGroup();
  s.sync();  // a failed write goes unnoticed, as a failed profile write always did
}

std::pair<int, int> SettingsStore::LoadProgressPosition() const {
  QSettings s(QString::fromStdString(FilePath()), QSettings::IniFormat);
  s.beginGroup(kGroup);
  return {ReadInt(s, "X", -1), ReadInt(s, "Y", -1)};
}

void SettingsStore::SaveProgressPosition(int x, int y) const {
  QSettings s(QString::fromStdString(FilePath()), QSettings::IniFormat);
  s.beginGroup(kGroup);
  s.setValue("X", x);
  s.setValue("Y", y);
  s.endGroup();
  s.sync();
}

}  // namespace talvenor
