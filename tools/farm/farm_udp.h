// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The farm's game servers: one UDP socket per server on 127.0.0.1, all watched through a single
// epoll descriptor, so a burst costs the same per datagram whether the farm runs ten servers or
// fifteen thousand (Qt's own notifiers would poll every socket on every wake-up).

#include <QObject>
#include <QString>
#include <memory>
#include <vector>

#include "tools/farm/farm_options.h"

class QSocketNotifier;

namespace zorvane::farm {

class TFarmUdp : public QObject {
  Q_OBJECT
 public:
  explicit TFarmUdp(const TFarmOptions& options, QObject* parent = nullptr);
  ~TFarmUdp() override;

  // Binds every server's port. False with a message when one cannot be had.
  bool Open(QString& error);
  int SilentCount() const { return silentCount_; }
  // The socket of server index (its query port), for answers sent on its behalf.
  int Socket(int index) const { return sockets_[std::size_t(index)]; }

 private:
  void Drain();
  void Answer(int index);

  TFarmOptions options_;
  std::vector<int> sockets_;  // by server index
  int epoll_ = -1;
  std::unique_ptr<QSocketNotifier> notifier_;
  int silentCount_ = 0;
  int queryId_ = 0;
};

}  // namespace zorvane::farm
