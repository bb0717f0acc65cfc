// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// TfrmShortcuts: "Keyboard Shortcuts", every key of the program in a table of commands and
// keys; the Help menu fills it from the window's commands each time it is shown (help_menu.h).

#include <QDialog>
#include <vector>

#include "browse/shortcut_list.h"

class QTableWidget;

namespace zorvane {

class TfrmShortcuts : public QDialog {
  Q_OBJECT

 public:
  explicit TfrmShortcuts(QWidget* parent = nullptr);

  // Fills the table and sizes the dialog to show it whole (up to most of the screen's height).
  void SetRows(const std::vector<TShortcutRow>& rows);
  QTableWidget* Table() const { return table_; }

 private:
  QTableWidget* table_;
};

}  // namespace zorvane
