// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The sounds of the selected server and of the watched players. Each sound has a one-shot
// timer; a trigger restarts it, so triggers arriving faster than its interval give one sound,
// one interval after the last. When a timer fires it plays the sound its setting names then.

#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace zorvane {

class TServer;
class TSoundPlayer;
struct TSettings;

class TServerNotifier : public QObject {
  Q_OBJECT
 public:
  static constexpr int kServerOnlineMs = 2000;
  static constexpr int kServerPopulatedMs = 2000;
  static constexpr int kPlayerOnlineMs = 750;

  // settings names the sounds; folders are where names are looked up.
  TServerNotifier(const TSettings& settings, TSoundPlayer& player, QStringList folders,
                  QObject* parent = nullptr);

  // One reply of server; selected: it is the server selected in the current view. Only the
  // selected server's replies restart a timer: a server getting players restarts the populated
  // sound (or, with that sound off, the online sound when it also came online); otherwise a
  // server that came online restarts the online sound.
  void ServerReplied(const TServer& server, bool selected);
  // A watched player was found online.
  void PlayerCameOnline();
  // The mass refresh silences what is pending.
  void StopTimers();

  void SetLog(std::function<void(const QString&)> log) { log_ = std::move(log); }
  const QStringList& Folders() const { return folders_; }

  QTimer& ServerOnlineTimer() { return timServerOnline_; }
  QTimer& ServerPopulatedTimer() { return timServerPopulated_; }
  QTimer& PlayerOnlineTimer() { return timPlayerOnline_; }

 private:
  void Prepare(QTimer& timer, int ms, const QString TSettings::* sound);
  static void Restart(QTimer& timer);

  const TSettings& settings_;
  TSoundPlayer& player_;
  QStringList folders_;
  std::function<void(const QString&)> log_;
  QTimer timServerOnline_;
  QTimer timServerPopulated_;
  QTimer timPlayerOnline_;
};

}  // namespace zorvane
