// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// THelpMenu: the Help menu's "Keyboard Shortcuts" (F1) and "About Zorvane". Both dialogs stay
// open beside the window; a second command brings the open one to the front.

#include <QObject>
#include <QPointer>
#include <functional>
#include <vector>

#include "browse/shortcut_list.h"
#include "gui/dialogs/about_dialog.h"
#include "gui/dialogs/shortcuts_dialog.h"

class QMenu;
class QWidget;

namespace zorvane {

// Every command with a key in window: its own, its menus' and the current view's (the other
// views have the same keys under their own captions). Menu items that only mirror a view's
// command in its popup are left out.
std::vector<TShortcutEntry> WindowShortcuts(const QWidget* window, const QWidget* currentView);

class THelpMenu : public QObject {
  Q_OBJECT

 public:
  using TCurrentView = std::function<QWidget*()>;

  // Adds the two commands to menu; their keys work anywhere in window, which owns this.
  THelpMenu(QWidget* window, QMenu* menu, TCurrentView currentView, QString settingsFolder);

  void ShowShortcuts();
  void ShowAbout();
  TfrmShortcuts* ShortcutsDialog() const { return shortcuts_; }
  TfrmAbout* AboutDialog() const { return about_; }

 private:
  QWidget* window_;
  TCurrentView currentView_;
  QString settingsFolder_;
  QPointer<TfrmShortcuts> shortcuts_;
  QPointer<TfrmAbout> about_;
};

}  // namespace zorvane
