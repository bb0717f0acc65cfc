// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The captioned edit and drop-down boxes that know the INI value they stand for. TkorvINI
// fills and stores them; the controls themselves never touch a file.

#include <QString>

#include "gui/controls/korv_combobox.h"
#include "gui/controls/korv_edit.h"

namespace zorvane {

// The INI properties both bound controls carry.
template <typename Control>
class TIniBound : public Control {
 public:
  using Control::Control;

  QString IniSection() const { return iniSection_; }
  void SetIniSection(const QString& section) { iniSection_ = section; }

  // For the combo box also the section holding its drop-down list: "count", "[0]", "[1]", ...
  QString IniKey() const { return iniKey_; }
  void SetIniKey(const QString& key) { iniKey_ = key; }

  // Kept for the owner; nothing here depends on it.
  bool IniShowOnOptions() const { return iniShowOnOptions_; }
  void SetIniShowOnOptions(bool show) { iniShowOnOptions_ = show; }

  // Combo box: values read from the file are taken only when they name an existing folder.
  // An edit box ignores it.
  bool IniCheckDirExists() const { return iniCheckDirExists_; }
  void SetIniCheckDirExists(bool check) { iniCheckDirExists_ = check; }

 private:
  QString iniSection_;
  QString iniKey_;
  bool iniShowOnOptions_ = false;
  bool iniCheckDirExists_ = false;
};

class TkorvEditINI : public TIniBound<TkorvEdit> {
  Q_OBJECT
 public:
  explicit TkorvEditINI(QWidget* parent = nullptr);
};

class TkorvComboboxINI : public TIniBound<TkorvCombobox> {
  Q_OBJECT
 public:
  explicit TkorvComboboxINI(QWidget* parent = nullptr);
};

}  // namespace zorvane
