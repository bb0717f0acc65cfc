// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The window's notifications: the sounds and their dialog, the application and tray icons with
// their tip, the icon group dialog, and the version check with its debug items. What to play
// and when, the tip and the check itself are decided by the core (TServerNotifier, TrayStateOf,
// TVersionCheck).

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

#include "gui/window/window_context.h"

class QMenu;
class QSystemTrayIcon;

namespace zorvane {

class TPlayerMonitor;
class TServerNotifier;
class TSoundPlayer;
class TVersionCheck;

class TNotificationsController : public QObject {
  Q_OBJECT
 public:
  // sounds: none plays them for real; soundDataFolders: where sounds are looked up after the
  // configuration folder (none: beside the program and in its installed data folder).
  TNotificationsController(TWindowContext& context, TSoundPlayer* sounds,
                           const QStringList& soundDataFolders, TPlayerMonitor& players);
  ~TNotificationsController() override;

  // "Sounds..." and "Application Icon..." at the end of tools; the Debug menu before Help.
  void CreateMenuItems(QMenu* tools);
  void CreateDebugMenu();
  void SetDebugMenuVisible(bool on);
  // The tray icon with its menu, when the desktop has a tray; showWindow brings the window back.
  void CreateTray(std::function<void()> showWindow);

  // A server's reply: the sounds it is due.
  void ServerReplied(const QString& key);
  void StopTimers();
  // At close: timers, version check and the tray icon.
  void Stop();

  // Asks the "versionHost" setting's host for the newest version (nothing without a host).
  void StartVersionCheck();
  void CloseVersionCheck();
  // The application and tray icons and the tip for the server under key ("setup": none).
  // Nothing during a mass refresh.
  void UpdateTray(const QString& key);
  // The same for the current view's selection.
  void UpdateTrayForCurrentView();
  // A new icon group (the Application Icon dialog's OK).
  void ApplyIconGroup(int group);

  QSystemTrayIcon* Tray() const { return tray_; }
  int TrayImage() const { return trayImage_; }
  QString TrayTip() const { return trayTip_; }
  TServerNotifier& Notifier() { return *notifier_; }
  TVersionCheck& VersionCheck() { return *versionCheck_; }

 private:
  void EditSounds();

  TWindowContext& context_;
  std::unique_ptr<TSoundPlayer> ownSounds_;
  TSoundPlayer* sounds_ = nullptr;
  std::unique_ptr<TServerNotifier> notifier_;
  std::unique_ptr<TVersionCheck> versionCheck_;
  QSystemTrayIcon* tray_ = nullptr;  // a child of the window
  QMenu* debugMenu_ = nullptr;
  int trayImage_ = 0;
  QString trayTip_;
};

}  // namespace zorvane
