// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the main window hands each of its controllers: the objects they share (the dialogs
// interface, the configuration, the stash) and the few window services they call back. The
// window builds it once; controllers keep a reference and own nothing of it.

#include <QKeySequence>
#include <QString>
#include <functional>
#include <vector>

class QAction;
class QMainWindow;
class QMenu;

namespace zorvane {

class TConfiguration;
class TServerStash;
class TWindowDialogs;
class TkorvUTServerView;

struct TWindowContext {
  QMainWindow* window;  // the parent of boxes and dialogs
  TWindowDialogs& dialogs;
  TConfiguration& config;
  TServerStash& stash;
  // A window-wide action (its shortcut works on every page), in menu when one is given.
  std::function<QAction*(QMenu* menu, const char* name, const QString& caption,
                         const QKeySequence& shortcut)>
      addAction;
  std::function<QAction*(const QString& name)> findAction;
  // The view of a game type, visible or not; the current view.
  std::function<TkorvUTServerView*(const QString& gameType)> view;
  std::function<TkorvUTServerView*()> currentView;
  // The views on a page, in the order of the game types.
  std::function<std::vector<TkorvUTServerView*>()> visibleViews;
  // Every view, its tab shown or not.
  std::function<std::vector<TkorvUTServerView*>()> allViews;
  // Binds the menu items shared with the views to the current view again.
  std::function<void()> rebind;
  std::function<void(const QString& key)> join;
  std::function<void(const QString& key)> addToFavorites;
  std::function<void(const QString& text)> log;
  // A line of the log only while debugging is on.
  std::function<void(const QString& text)> debugLog;
  // The window's status texts (TfrmZorvane::SetStatus).
  std::function<void(int targets, int panel, bool restore, bool highlight, const QString& text)>
      setStatus;
  std::function<bool()> massRefreshing;
  // The page in front is a server view (not a monitor).
  std::function<bool()> onServerPage;
};

}  // namespace zorvane
