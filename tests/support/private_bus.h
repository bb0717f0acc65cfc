// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A private session bus (Debian's dbus-daemon) for one test, so nothing reaches the desktop's
// own bus. Connections made through Connect are closed with it.

#include <QDBusConnection>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace zorvane::testing {

class PrivateBus {
 public:
  PrivateBus() {
    const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
    if (daemon.isEmpty()) return;
    process_.start(daemon, {QStringLiteral("--session"), QStringLiteral("--nofork"),
                            QStringLiteral("--nopidfile"), QStringLiteral("--print-address=1")});
    while (!process_.canReadLine() && process_.waitForReadyRead(10000)) {
    }
    address_ = QString::fromUtf8(process_.readLine()).trimmed();
  }
  ~PrivateBus() {
    for (const QString& name : names_) QDBusConnection::disconnectFromBus(name);
    process_.kill();
    process_.waitForFinished(10000);
  }
  PrivateBus(const PrivateBus&) = delete;
  PrivateBus& operator=(const PrivateBus&) = delete;

  bool Running() const { return !address_.isEmpty(); }
  const QString& Address() const { return address_; }
  // A connection of its own to the bus, under name.
  QDBusConnection Connect(const QString& name) {
    names_ << name;
    return QDBusConnection::connectToBus(address_, name);
  }

 private:
  QProcess process_;
  QString address_;
  QStringList names_;
};

}  // namespace zorvane::testing
