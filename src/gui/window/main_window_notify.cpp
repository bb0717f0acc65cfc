// SPDX-License-Identifier: GPL-2.0-or-later
// The window's side of the notifications: the sounds and their dialog, the application and
// tray icons with their tip, the icon group dialog, and the version check with its debug items.
// What to play and when, the tip and the check itself are decided by the core.
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>

#include "browse/player_monitor.h"
#include "browse/server_notifier.h"
#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "browse/version_check.h"
#include "gui/controls/app_icons.h"
#include "gui/dialogs/sounds_dialog.h"
#include "gui/view/server_view.h"
#include "gui/window/main_window.h"
#include "gui/window/monitors_controller.h"
#include "gui/window/sound_effect_player.h"

namespace zorvane {

void TfrmZorvane::CreateNotifications(const TStartOptions& options) {
  const auto log = [this](const QString& line) { Log(line); };
  if (options.sounds) {
    sounds_ = options.sounds;
  } else {
    ownSounds_ = std::make_unique<TSoundEffectPlayer>(log);
    sounds_ = ownSounds_.get();
  }
  const QStringList data =
      options.soundDataFolders.isEmpty()
          ? InstalledDataFolders(QCoreApplication::applicationDirPath())
          : options.soundDataFolders;
  notifier_ = std::make_unique<TServerNotifier>(config_.settings, *sounds_,
                                                zorvane::SoundFolders(options.directory, data));
  notifier_->SetLog(log);
  connect(&monitors_->PlayerMonitor(), &TPlayerMonitor::OnPlayerCameOnline, notifier_.get(),
          &TServerNotifier::PlayerCameOnline);

  versionCheck_ = std::make_unique<TVersionCheck>(QString::fromLatin1(kVersionText));
  connect(versionCheck_.get(), &TVersionCheck::OnNewVersion, this, [this](const QString& version) {
    SetStatus(1 | 2, 1, false, true, version + QStringLiteral(" is available"));
  });
  connect(versionCheck_.get(), &TVersionCheck::OnDebug, this,
          [this](const QString& text) { DebugLine(text); });
}

void TfrmZorvane::CreateNotifyMenuItems(QMenu* tools) {
  tools->addSeparator();
  connect(AddWindowAction(tools, "actOptionsSound", QStringLiteral("Sounds...")),
          &QAction::triggered, this, &TfrmZorvane::EditSounds);
  connect(AddWindowAction(tools, "actOptionsIcon", QStringLiteral("Application Icon...")),
          &QAction::triggered, this, &TfrmZorvane::EditIconGroup);
}

void TfrmZorvane::CreateDebugMenu() {
  // Shown while debugging is on.
  QAction* help = menuBar()->actions().isEmpty() ? nullptr : menuBar()->actions().last();
  debugMenu_ = new QMenu(QStringLiteral("Debug"), this);
  debugMenu_->setObjectName(QStringLiteral("miDebug"));
  menuBar()->insertMenu(help, debugMenu_);
  connect(AddWindowAction(debugMenu_, "miStartVersionCheck", QStringLiteral("Start Version Check")),
          &QAction::triggered, this, &TfrmZorvane::StartVersionCheck);
  connect(AddWindowAction(debugMenu_, "miCloseVersionCheck", QStringLiteral("Close Version Check")),
          &QAction::triggered, this, &TfrmZorvane::CloseVersionCheck);
  debugMenu_->menuAction()->setVisible(debug_);
}

void TfrmZorvane::NotifyServerReply(const QString& key) {
  const int index = stash_.IndexOf(key);
  if (index < 0 || !currentView_) return;
  notifier_->ServerReplied(*stash_.Server(index), currentView_->SelectedServerKey() == key);
}

void TfrmZorvane::StopNotificationTimers() {
  notifier_->StopTimers();
}

void TfrmZorvane::MassRefreshFinished() {
  // A failed master query leaves the stash as it was, and the cache file too; a cut list adds
  // its servers but is not the list to keep.
  if (massRefresh_->Plan().replacesCache) ScheduleServerCacheWrite();
  UpdateTray(currentView_ ? currentView_->SelectedServerKey()
                          : QString::fromLatin1(kTraySetupKey));
}

void TfrmZorvane::StopNotifications() {
  notifier_->StopTimers();
  versionCheck_->CloseVersionCheck();
}

// ---- Sounds

void TfrmZorvane::EditSounds() {
  TSettings& s = config_.settings;
  const auto chosen = ChooseSounds(
      this, SoundChoices(notifier_->Folders()),
      {s.serverOnlineSound, s.serverPopulatedSound, s.playerOnlineSound},
      [this](const QString& name) {
        PlaySoundFile(name, notifier_->Folders(), *sounds_, [this](const QString& line) {
          Log(line);
        });
      });
  if (!chosen) return;
  s.serverOnlineSound = (*chosen)[0];
  s.serverPopulatedSound = (*chosen)[1];
  s.playerOnlineSound = (*chosen)[2];
}

// ---- Icons

void TfrmZorvane::UpdateTray(const QString& key) {
  if (massRefresh_->MassRefreshing()) return;
  const TTrayState state = TrayStateOf(stash_, key);
  trayImage_ = TrayImageIndex(config_.settings.iconGroup, state.state);
  trayTip_ = state.tip;
  const QIcon icon = IconOf(trayImage_);
  setWindowIcon(icon);
  if (tray_) {
    tray_->setIcon(icon);
    tray_->setToolTip(trayTip_);
  }
}

void TfrmZorvane::EditIconGroup() {
  if (const auto group = ChooseIconGroup(this, config_.settings.iconGroup)) ApplyIconGroup(*group);
}

void TfrmZorvane::ApplyIconGroup(int group) {
  if (group == config_.settings.iconGroup || group < 1 || group > kIconGroups) return;
  config_.settings.iconGroup = group;
  auto* page = qobject_cast<TkorvUTServerView*>(pages_->currentWidget());
  UpdateTray(page && currentView_ ? currentView_->SelectedServerKey()
                                  : QString::fromLatin1(kTraySetupKey));
}

// ---- Version check

void TfrmZorvane::StartVersionCheck() {
  if (!versionCheck_->StartVersionCheck(config_.settings.versionHost))
    DebugLine(QStringLiteral("Version check: no version host set"));
}

void TfrmZorvane::CloseVersionCheck() {
  versionCheck_->CloseVersionCheck();
}

}  // namespace zorvane
