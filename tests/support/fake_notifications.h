// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// A fake desktop notification service for tests on a private bus (support/private_bus.h).

#include <QDBusConnection>
#include <QDBusMessage>
#include <QObject>
#include <QStringList>
#include <QVariantMap>
#include <vector>

namespace zorvane::testing {

// org.freedesktop.Notifications as a desktop would serve it, recording every notice.
class FakeNotifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
 public:
  struct Notice {
    QString app, icon, summary, body;
    QStringList actions;
    QVariantMap hints;
  };
  explicit FakeNotifications(QDBusConnection bus, bool markup) : bus_(bus), markup_(markup) {}
  bool Register() {
    return bus_.registerObject("/org/freedesktop/Notifications", this,
                               QDBusConnection::ExportAllSlots) &&
           bus_.registerService("org.freedesktop.Notifications");
  }
  void Invoke(uint id, const QString& action) { Emit("ActionInvoked", {id, action}); }
  void Closed(uint id) { Emit("NotificationClosed", {id, uint(2)}); }

  std::vector<Notice> notices;

 public Q_SLOTS:
  QStringList GetCapabilities() {
    return markup_ ? QStringList{"actions", "body", "body-markup"} : QStringList{"actions", "body"};
  }
  uint Notify(const QString& app, uint, const QString& icon, const QString& summary,
              const QString& body, const QStringList& actions, const QVariantMap& hints, int) {
    notices.push_back({app, icon, summary, body, actions, hints});
    return uint(notices.size()) + 40;
  }

 private:
  void Emit(const char* name, const QVariantList& arguments) {
    QDBusMessage signal = QDBusMessage::createSignal(
        "/org/freedesktop/Notifications", "org.freedesktop.Notifications", name);
    signal.setArguments(arguments);
    bus_.send(signal);
  }
  QDBusConnection bus_;
  bool markup_;
};

}  // namespace zorvane::testing
