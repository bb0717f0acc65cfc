// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Turns SIGTERM and SIGINT into a Qt signal on the event loop, so the window closes (and saves)
// as "Exit" does when the desktop session ends or the program is stopped from a terminal.

#include <QObject>

class QSocketNotifier;

namespace zorvane {

class TUnixSignalWatcher : public QObject {
  Q_OBJECT
 public:
  explicit TUnixSignalWatcher(QObject* parent = nullptr);
  ~TUnixSignalWatcher() override;

 Q_SIGNALS:
  void Terminated();

 private:
  int fds_[2] = {-1, -1};
  QSocketNotifier* notifier_ = nullptr;
};

}  // namespace zorvane
