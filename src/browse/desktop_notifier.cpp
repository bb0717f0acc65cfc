// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/desktop_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>

namespace zorvane {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kInterface = QStringLiteral("org.freedesktop.Notifications");
const QString kJoinAction = QStringLiteral("join");
// The desktop entry (and icon) the program installs.
const QString kDesktopEntry = QStringLiteral("io.github.zorvane.Zorvane");

}  // namespace

TDesktopNotifier::TDesktopNotifier(const QDBusConnection& bus, QObject* parent)
    : QObject(parent), bus_(bus) {
  Listen();
}

TDesktopNotifier::TDesktopNotifier(QObject* parent) : QObject(parent) {}

QDBusConnection& TDesktopNotifier::Bus() {
  if (!bus_) {
    bus_ = QDBusConnection::sessionBus();
    Listen();
  }
  return *bus_;
}

void TDesktopNotifier::Listen() {
  if (!bus_->isConnected()) return;
  bus_->connect(kService, kPath, kInterface, QStringLiteral("ActionInvoked"), this,
                SLOT(ActionInvoked(uint, QString)));
  bus_->connect(kService, kPath, kInterface, QStringLiteral("NotificationClosed"), this,
                SLOT(NotificationClosed(uint, uint)));
}

void TDesktopNotifier::Unavailable(const QString& why) {
  waiting_.clear();
  if (unavailableLogged_) return;
  unavailableLogged_ = true;
  Q_EMIT OnLog(QStringLiteral("Desktop notifications: ") + why);
}

void TDesktopNotifier::Notify(const TDesktopNotice& notice) {
  if (!Bus().isConnected()) {
    Unavailable(QStringLiteral("there is no session bus."));
    return;
  }
  if (markup_) {
    Send(notice);
    return;
  }
  waiting_.push_back(notice);
  AskCapabilities();
}

void TDesktopNotifier::AskCapabilities() {
  if (asking_) return;
  asking_ = true;
  const QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("GetCapabilities"));
  auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
    w->deleteLater();
    asking_ = false;
    const QDBusPendingReply<QStringList> reply = *w;
    if (reply.isError()) {
      Unavailable(QStringLiteral("no notification service on the session bus (") +
                  reply.error().message() + u')');
      return;
    }
    markup_ = reply.value().contains(QStringLiteral("body-markup"));
    for (const TDesktopNotice& notice : std::exchange(waiting_, {})) Send(notice);
  });
}

void TDesktopNotifier::Send(const TDesktopNotice& notice) {
  QDBusMessage call =
      QDBusMessage::createMethodCall(kService, kPath, kInterface, QStringLiteral("Notify"));
  const QVariantMap hints{{QStringLiteral("desktop-entry"), kDesktopEntry}};
  call << QStringLiteral("Zorvane") << uint(0) << kDesktopEntry << notice.summary
       << (*markup_ ? notice.body.toHtmlEscaped() : notice.body)
       << QStringList{kJoinAction, QStringLiteral("Join")} << hints << int(-1);
  auto* watcher = new QDBusPendingCallWatcher(Bus().asyncCall(call), this);
  connect(watcher, &QDBusPendingCallWatcher::finished, this,
          [this, key = notice.serverKey](QDBusPendingCallWatcher* w) {
            w->deleteLater();
            const QDBusPendingReply<uint> reply = *w;
            if (reply.isError()) {
              // The service went away: ask again before the next notice.
              markup_.reset();
              Unavailable(QStringLiteral("the notification service did not take a notice (") +
                          reply.error().message() + u')');
              return;
            }
            unavailableLogged_ = false;
            keys_.insert(reply.value(), key);
          });
}

void TDesktopNotifier::ActionInvoked(uint id, const QString& action) {
  const auto it = keys_.constFind(id);
  if (it == keys_.cend() || action != kJoinAction) return;
  Q_EMIT OnJoinRequested(*it);
}

void TDesktopNotifier::NotificationClosed(uint id, uint) {
  keys_.remove(id);
}

}  // namespace zorvane
