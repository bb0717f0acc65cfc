// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/notifications_controller.h"

#include <QCoreApplication>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QStyle>
#include <QSystemTrayIcon>

#include "browse/player_monitor.h"
#include "browse/server_notifier.h"
#include "browse/sound_files.h"
#include "browse/tray_state.h"
#include "browse/version_check.h"
#include "config/configuration.h"
#include "gui/controls/app_icons.h"
#include "gui/dialogs/sounds_dialog.h"
#include "gui/view/server_view.h"
#include "gui/window/sound_effect_player.h"
#include "query/server_stash.h"

namespace zorvane {

TNotificationsController::TNotificationsController(TWindowContext& context, TSoundPlayer* sounds,
                                                   const QStringList& soundDataFolders,
                                                   TPlayerMonitor& players)
    : context_(context) {
  if (sounds) {
    sounds_ = sounds;
  } else {
    ownSounds_ = std::make_unique<TSoundEffectPlayer>(context_.log);
    sounds_ = ownSounds_.get();
  }
  const QStringList data = soundDataFolders.isEmpty()
                               ? InstalledDataFolders(QCoreApplication::applicationDirPath())
                               : soundDataFolders;
  notifier_ = std::make_unique<TServerNotifier>(
      context_.config.settings, *sounds_, zorvane::SoundFolders(context_.config.directory, data));
  notifier_->SetLog(context_.log);
  connect(&players, &TPlayerMonitor::OnPlayerCameOnline, notifier_.get(),
          &TServerNotifier::PlayerCameOnline);

  versionCheck_ = std::make_unique<TVersionCheck>(QString::fromLatin1(kVersionText));
  connect(versionCheck_.get(), &TVersionCheck::OnNewVersion, this, [this](const QString& version) {
    context_.setStatus(1 | 2, 1, false, true, version + QStringLiteral(" is available"));
  });
  connect(versionCheck_.get(), &TVersionCheck::OnDebug, this,
          [this](const QString& text) { context_.debugLog(text); });
}

TNotificationsController::~TNotificationsController() = default;

void TNotificationsController::CreateMenuItems(QMenu* tools) {
  tools->addSeparator();
  connect(context_.addAction(tools, "actOptionsSound", QStringLiteral("Sounds..."), {}),
          &QAction::triggered, this, &TNotificationsController::EditSounds);
  connect(
      context_.addAction(tools, "actOptionsIcon", QStringLiteral("Application Icon..."), {}),
      &QAction::triggered, this, [this] {
        if (const auto group = ChooseIconGroup(context_.window, context_.config.settings.iconGroup))
          ApplyIconGroup(*group);
      });
}

void TNotificationsController::CreateDebugMenu() {
  // Shown while debugging is on.
  QMenuBar* bar = context_.window->menuBar();
  QAction* help = bar->actions().isEmpty() ? nullptr : bar->actions().last();
  debugMenu_ = new QMenu(QStringLiteral("Debug"), context_.window);
  debugMenu_->setObjectName(QStringLiteral("miDebug"));
  bar->insertMenu(help, debugMenu_);
  connect(context_.addAction(debugMenu_, "miStartVersionCheck",
                             QStringLiteral("Start Version Check"), {}),
          &QAction::triggered, this, &TNotificationsController::StartVersionCheck);
  connect(context_.addAction(debugMenu_, "miCloseVersionCheck",
                             QStringLiteral("Close Version Check"), {}),
          &QAction::triggered, this, &TNotificationsController::CloseVersionCheck);
}

void TNotificationsController::SetDebugMenuVisible(bool on) {
  if (debugMenu_) debugMenu_->menuAction()->setVisible(on);
}

void TNotificationsController::CreateTray(std::function<void()> showWindow) {
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return;
  QMainWindow* window = context_.window;
  tray_ = new QSystemTrayIcon(window->style()->standardIcon(QStyle::SP_ComputerIcon), window);
  tray_->setToolTip(QStringLiteral("Zorvane"));
  auto* menu = new QMenu(window);
  menu->setObjectName(QStringLiteral("popTray"));
  QAction* show = menu->addAction(QStringLiteral("Show"), this, showWindow);
  show->setObjectName(QStringLiteral("miTrayShow"));
  QAction* exit = menu->addAction(QStringLiteral("Exit"), window, &QWidget::close);
  exit->setObjectName(QStringLiteral("miTrayExit"));
  tray_->setContextMenu(menu);
  connect(tray_, &QSystemTrayIcon::activated, this,
          [showWindow](QSystemTrayIcon::ActivationReason r) {
            if (r == QSystemTrayIcon::DoubleClick || r == QSystemTrayIcon::Trigger) showWindow();
          });
  tray_->show();
}

void TNotificationsController::ServerReplied(const QString& key) {
  const int index = context_.stash.IndexOf(key);
  TkorvUTServerView* current = context_.currentView();
  if (index < 0 || !current) return;
  notifier_->ServerReplied(*context_.stash.Server(index), current->SelectedServerKey() == key);
}

void TNotificationsController::StopTimers() {
  notifier_->StopTimers();
}

void TNotificationsController::Stop() {
  notifier_->StopTimers();
  versionCheck_->CloseVersionCheck();
  if (tray_) tray_->hide();
}

// ---- Sounds

void TNotificationsController::EditSounds() {
  TSettings& s = context_.config.settings;
  const auto chosen =
      ChooseSounds(context_.window, SoundChoices(notifier_->Folders()),
                   {s.serverOnlineSound, s.serverPopulatedSound, s.playerOnlineSound},
                   [this](const QString& name) {
                     PlaySoundFile(name, notifier_->Folders(), *sounds_, context_.log);
                   });
  if (!chosen) return;
  s.serverOnlineSound = (*chosen)[0];
  s.serverPopulatedSound = (*chosen)[1];
  s.playerOnlineSound = (*chosen)[2];
}

// ---- Icons

void TNotificationsController::UpdateTray(const QString& key) {
  if (context_.massRefreshing()) return;
  const TTrayState state = TrayStateOf(context_.stash, key);
  trayImage_ = TrayImageIndex(context_.config.settings.iconGroup, state.state);
  trayTip_ = state.tip;
  const QIcon icon = IconOf(trayImage_);
  context_.window->setWindowIcon(icon);
  if (tray_) {
    tray_->setIcon(icon);
    tray_->setToolTip(trayTip_);
  }
}

void TNotificationsController::UpdateTrayForCurrentView() {
  TkorvUTServerView* current = context_.currentView();
  UpdateTray(current ? current->SelectedServerKey() : QString::fromLatin1(kTraySetupKey));
}

void TNotificationsController::ApplyIconGroup(int group) {
  TSettings& s = context_.config.settings;
  if (group == s.iconGroup || group < 1 || group > kIconGroups) return;
  s.iconGroup = group;
  TkorvUTServerView* current = context_.currentView();
  UpdateTray(context_.onServerPage() && current ? current->SelectedServerKey()
                                                : QString::fromLatin1(kTraySetupKey));
}

// ---- Version check

void TNotificationsController::StartVersionCheck() {
  if (!versionCheck_->StartVersionCheck(context_.config.settings.versionHost))
    context_.debugLog(QStringLiteral("Version check: no version host set"));
}

void TNotificationsController::CloseVersionCheck() {
  versionCheck_->CloseVersionCheck();
}

}  // namespace zorvane
