// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Plays wave files through Qt Multimedia without holding up the event loop: each play gets
// its own sound effect, dropped when it ends. A file that cannot be played gives one log line.

#include <QObject>
#include <functional>

#include "browse/sound_files.h"

class QSoundEffect;

namespace zorvane {

class TSoundEffectPlayer : public QObject, public TSoundPlayer {
  Q_OBJECT
 public:
  explicit TSoundEffectPlayer(std::function<void(const QString&)> log,
                              QObject* parent = nullptr);

  void PlayFile(const QString& path) override;

 Q_SIGNALS:
  // A play is over: played to its end, or not playable.
  void OnPlayed(const QString& path, bool played);

 private:
  void Finish(QSoundEffect* effect, const QString& path, bool played);

  std::function<void(const QString&)> log_;
};

}  // namespace zorvane
