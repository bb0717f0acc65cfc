// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A zorvane-farm process on free loopback ports, for tests that need many real servers.

#include <QProcess>
#include <QTcpServer>
#include <memory>
#include <random>
#include <vector>

#include "support/free_ports.h"

namespace zorvane::testing {

inline constexpr int kFarmGuardMs = 20000;

inline quint16 FreeTcpPort() {
  QTcpServer probe;
  probe.listen(QHostAddress::LocalHost, 0);
  return probe.serverPort();
}

class FarmProcess {
 public:
  FarmProcess(int ut, int ut2004, int seed, QStringList extra = {})
      : ut_(ut), ut2004_(ut2004), seed_(seed), extra_(std::move(extra)) {}

  ~FarmProcess() {
    if (process_.state() == QProcess::NotRunning) return;
    process_.kill();
    process_.waitForFinished(kFarmGuardMs);
  }

  // Starts on free ports, trying again when another program takes one first.
  bool Start() {
    std::mt19937 random(std::random_device{}());
    for (int attempt = 0; attempt < 5; ++attempt) {
      base_ = 20000 + int(random() % 9000);  // below the ports the system hands out itself
      if (!UdpRangeFree(base_, ut_ + ut2004_)) continue;
      master_ = FreeTcpPort();
      const QStringList args = QStringList{"--ut", QString::number(ut_), "--ut2004",
                                           QString::number(ut2004_), "--base-port",
                                           QString::number(base_), "--master-port",
                                           QString::number(master_), "--seed",
                                           QString::number(seed_), "--life", "60"} +
                               extra_;
      process_.start(ZORVANE_FARM_TOOL, args);
      while (!process_.canReadLine() && process_.waitForReadyRead(kFarmGuardMs)) {
      }
      if (process_.canReadLine()) {
        startLine_ = QString::fromUtf8(process_.readLine()).trimmed();
        return true;
      }
      process_.waitForFinished(kFarmGuardMs);
    }
    return false;
  }

  int Base() const { return base_; }
  quint16 MasterPort() const { return master_; }
  QString StartLine() const { return startLine_; }
  QProcess& Process() { return process_; }

 private:
  QProcess process_;
  int base_ = 0;
  quint16 master_ = 0;
  QString startLine_;
  int ut_, ut2004_, seed_;
  QStringList extra_;
};

}  // namespace zorvane::testing
