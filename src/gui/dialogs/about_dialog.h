// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmAbout: "About Zorvane", the version, the licence and where the settings are kept.

#include <QDialog>

class QLabel;

namespace zorvane {

class TfrmAbout : public QDialog {
  Q_OBJECT

 public:
  TfrmAbout(const QString& settingsFolder, QWidget* parent = nullptr);

  QLabel* SettingsFolderLabel() const { return folder_; }

 private:
  QLabel* folder_;
};

}  // namespace zorvane
