#pragma once
// The captioned edit and drop-down boxes that know the INI value they stand for. TkorvINI
// fills and stores them; the controls themselves never touch a file.

#include <QString>

#include "controls/korv_combobox.h"
#include "controls/korv_edit.h"

namespace zorvane {

class TkorvEditINI : public TkorvEdit {
  Q_OBJECT

 public:
  explicit TkorvEditINI(QWidget* parent = nullptr);

  QString IniSection() const { return iniSection_; }
  void SetIniSection(const QString& section) { iniSection_ = section; }

  QString IniKey() const { return iniKey_; }
  void SetIniKey(const QString& key) { iniKey_ = key; }

  // Kept for the owner; nothing here depends on it.
  bool IniShowOnOptions() const { return iniShowOnOptions_; }
  void SetIniShowOnOptions(bool show) { iniShowOnOptions_ = show; }

  // Kept alongside the combo box's for a uniform setup; an edit box ignores it.
  bool IniCheckDirExists() const { return iniCheckDirExists_; }
  void SetIniCheckDirExists(bool check) { iniCheckDirExists_ = check; }

 private:
  QString iniSection_;
  QString iniKey_;
  bool iniShowOnOptions_ = false;
  bool iniCheckDirExists_ = false;
};

// IniKey is also the section holding the drop-down list: "count" and "[0]", "[1]", ...
class TkorvComboboxINI : public TkorvCombobox {
  Q_OBJECT

 public:
  explicit TkorvComboboxINI(QWidget* parent = nullptr);

  QString IniSection() const { return iniSection_; }
  void SetIniSection(const QString& section) { iniSection_ = section; }

  QString IniKey() const { return iniKey_; }
  void SetIniKey(const QString& key) { iniKey_ = key; }

  bool IniShowOnOptions() const { return iniShowOnOptions_; }
  void SetIniShowOnOptions(bool show) { iniShowOnOptions_ = show; }

  // Values read from the file are taken only when they name an existing folder.
  bool IniCheckDirExists() const { return iniCheckDirExists_; }
  void SetIniCheckDirExists(bool check) { iniCheckDirExists_ = check; }

 private:
  QString iniSection_;
  QString iniKey_;
  bool iniShowOnOptions_ = false;
  bool iniCheckDirExists_ = false;
};

}  // namespace zorvane
