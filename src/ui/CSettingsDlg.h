#pragma once
// The detailed settings dialog: log size, monitoring level, number of backups and the first
// backup, each a row of radio buttons. OK writes the choices into the settings in memory.
#include <QDialog>
#include <array>

#include "core/Settings.h"

class QRadioButton;

namespace talvenor::ui {

class CSettingsDlg : public QDialog {
  Q_OBJECT

 public:
  static constexpr int kRadioCount = 11;
  // Radio ids in template order: 1026-1028 log length, 1029-1031 level, 1032-1034 backups,
  // 1036-1037 first backup.
  static const std::array<int, kRadioCount> kRadioIds;

  explicit CSettingsDlg(Settings& settings, QWidget* parent = nullptr);

  // 0 for a selected button, -1 for the others, by template order.
  const std::array<int, kRadioCount>& RadioValues() const { return m_nRadio; }

  static const char* ToolTipText(int id);

 public slots:
  void accept() override;

 private:
  void OnRadioClicked(int index);
  void UpdateButtons();

  Settings& m_settings;
  std::array<int, kRadioCount> m_nRadio{};
  std::array<QRadioButton*, kRadioCount> m_radio{};
};

}  // namespace talvenor::ui
