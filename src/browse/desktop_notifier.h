// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Notices through the desktop's notification service (the freedesktop notification
// interface, org.freedesktop.Notifications, on the session bus), each with a "Join" action
// that names its server. Every call is asynchronous: the GUI thread never waits for the bus.
// Without a session bus or a notification service nothing is shown and one log line says so
// (again only after a notice got through).

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QString>
#include <optional>
#include <vector>

namespace zorvane {

struct TDesktopNotice {
  QString summary;
  QString body;       // plain text; escaped here for a service that reads markup
  QString serverKey;  // what "Join" joins
  bool operator==(const TDesktopNotice&) const = default;
};

class TDesktopNotifier : public QObject {
  Q_OBJECT
 public:
  // Notices go to the service on bus.
  explicit TDesktopNotifier(const QDBusConnection& bus, QObject* parent = nullptr);
  // The session bus, connected to at the first notice (with the option off, never).
  explicit TDesktopNotifier(QObject* parent = nullptr);

  void Notify(const TDesktopNotice& notice);

 Q_SIGNALS:
  // The user chose "Join" on a notice of the server under key.
  void OnJoinRequested(const QString& key);
  void OnLog(const QString& text);

 private Q_SLOTS:
  void ActionInvoked(uint id, const QString& action);
  void NotificationClosed(uint id, uint reason);

 private:
  // The bus, connected to and listened to the first time.
  QDBusConnection& Bus();
  // Hears the service's answers to the notices: an action chosen, a notice closed.
  void Listen();
  void AskCapabilities();
  void Send(const TDesktopNotice& notice);
  void Unavailable(const QString& why);

  std::optional<QDBusConnection> bus_;
  QHash<uint, QString> keys_;   // shown notice -> its server
  std::optional<bool> markup_;  // whether the service reads markup in a body, once known
  bool asking_ = false;
  std::vector<TDesktopNotice> waiting_;  // until the service's capabilities are known
  bool unavailableLogged_ = false;
};

}  // namespace zorvane
