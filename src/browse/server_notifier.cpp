// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/server_notifier.h"

#include "browse/sound_files.h"
#include "config/settings.h"
#include "query/server_record.h"

namespace zorvane {

TServerNotifier::TServerNotifier(const TSettings& settings, TSoundPlayer& player,
                                 QStringList folders, QObject* parent)
    : QObject(parent), settings_(settings), player_(player), folders_(std::move(folders)) {
  Prepare(timServerOnline_, kServerOnlineMs, &TSettings::serverOnlineSound);
  Prepare(timServerPopulated_, kServerPopulatedMs, &TSettings::serverPopulatedSound);
  Prepare(timPlayerOnline_, kPlayerOnlineMs, &TSettings::playerOnlineSound);
}

void TServerNotifier::Prepare(QTimer& timer, int ms, const QString TSettings::* sound) {
  timer.setInterval(ms);
  timer.setSingleShot(true);
  // A coarse timer of 2 s may fire 100 ms early; the sound comes when the wait is over.
  timer.setTimerType(Qt::PreciseTimer);
  connect(&timer, &QTimer::timeout, this, [this, &timer, sound] {
    timer.stop();
    PlaySoundFile(settings_.*sound, folders_, player_, log_);
  });
}

void TServerNotifier::Restart(QTimer& timer) {
  timer.stop();
  timer.start();
}

void TServerNotifier::ServerReplied(const TServer& server, bool selected) {
  if (!selected) return;
  if (!server.BecamePopulated) {
    if (server.CameOnline) Restart(timServerOnline_);
  } else if (settings_.serverPopulatedSound != QLatin1String(kNoSound)) {
    Restart(timServerPopulated_);
  } else if (server.CameOnline) {
    Restart(timServerOnline_);
  }
}

void TServerNotifier::PlayerCameOnline() {
  Restart(timPlayerOnline_);
}

void TServerNotifier::StopTimers() {
  timServerOnline_.stop();
  timServerPopulated_.stop();
  timPlayerOnline_.stop();
}

}  // namespace zorvane
