// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The rows of the Keyboard Shortcuts list, made from what the window's commands say about
// themselves (their captions and keys), so the list follows every change of a command.

#include <QString>
#include <QStringList>
#include <vector>

namespace zorvane {

// One command as found: its caption (with its "&" marks) and its keys as shown to the user.
struct TShortcutEntry {
  QString caption;
  QStringList keys;
};

struct TShortcutRow {
  QString command;  // the caption without its "&" marks
  QString keys;     // ", " between several keys
};

// "&Options..." -> "Options...", "Tips && Tricks" -> "Tips & Tricks".
QString WithoutMnemonics(const QString& caption);

// One row per command (commands that read the same, such as a menu item and the command it
// stands for, are one), each key once in the order found; commands without a key are left out.
// Ordered by command, ignoring case.
std::vector<TShortcutRow> ShortcutRows(const std::vector<TShortcutEntry>& found);

}  // namespace zorvane
