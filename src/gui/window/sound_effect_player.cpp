// SPDX-License-Identifier: GPL-2.0-or-later
#include "gui/window/sound_effect_player.h"

#include <QFile>
#include <QFileInfo>
#include <QSoundEffect>
#include <QUrl>

namespace zorvane {

TSoundEffectPlayer::TSoundEffectPlayer(std::function<void(const QString&)> log, QObject* parent)
    : QObject(parent), log_(std::move(log)) {}

namespace {

// Only regular RIFF/WAVE files go to the decoder: anything else is known to be unplayable here, and
// Qt's sample loader leaves its reader behind when it gives up on one.
bool LooksLikeWave(const QString& path) {
  // A pipe or device would hold the window until something writes to it.
  if (!QFileInfo(path).isFile()) return false;
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) return false;
  const QByteArray head = file.read(12);
  return head.size() == 12 && head.startsWith("RIFF") && head.mid(8, 4) == "WAVE";
}

}  // namespace

void TSoundEffectPlayer::PlayFile(const QString& path) {
  if (!LooksLikeWave(path)) {
    // Told after this call returns, as a failed decode would be.
    QMetaObject::invokeMethod(
        this, [this, path] { Finish(nullptr, path, false); }, Qt::QueuedConnection);
    return;
  }
  auto* effect = new QSoundEffect(this);
  // Whether it has started: a stop before that is no end of the sound.
  auto started = std::make_shared<bool>(false);
  connect(effect, &QSoundEffect::statusChanged, this, [this, effect, path] {
    if (effect->status() == QSoundEffect::Error) Finish(effect, path, false);
  });
  connect(effect, &QSoundEffect::playingChanged, this, [this, effect, path, started] {
    if (effect->isPlaying())
      *started = true;
    else if (*started)
      Finish(effect, path, true);
  });
  effect->setSource(QUrl::fromLocalFile(path));
  effect->play();  // starts once loaded
}

void TSoundEffectPlayer::Finish(QSoundEffect* effect, const QString& path, bool played) {
  if (effect) {
    effect->disconnect(this);
    effect->deleteLater();
  }
  if (!played && log_) log_(QStringLiteral("Could not play sound file: ") + path);
  Q_EMIT OnPlayed(path, played);
}

}  // namespace zorvane
