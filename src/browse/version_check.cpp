// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/version_check.h"

namespace zorvane {

std::optional<TVersionHost> ParseVersionHost(const QString& setting) {
  const QString text = setting.trimmed();
  if (text.isEmpty()) return std::nullopt;
  TVersionHost host{text, 80, text};
  const int colon = text.lastIndexOf(u':');
  if (colon >= 0) {
    bool ok = false;
    const uint port = text.mid(colon + 1).toUInt(&ok);
    if (!ok || port < 1 || port > 65535 || colon == 0) return std::nullopt;
    host.name = text.left(colon);
    host.port = quint16(port);
  }
  return host;
}

QByteArray VersionRequest(const QString& hostHeader) {
  return QByteArrayLiteral("GET ") + kVersionPath + QByteArrayLiteral(" HTTP/1.1\r\nHost: ") +
         hostHeader.toLatin1() + QByteArrayLiteral("\r\n\r\n");
}

QString VersionInReply(const QByteArray& reply) {
  const QByteArray key(kVersionKey);
  const qsizetype at = reply.indexOf(key);
  if (at < 0) return {};
  const QByteArray four = reply.mid(at + key.size(), 4);
  qsizetype digits = 0;
  const auto versionChar = [](char c) { return (c >= '0' && c <= '9') || c == '.'; };
  while (digits < four.size() && versionChar(four[digits])) ++digits;
  // The file's line end or a blank may follow a shorter version ("3.0\r\n"); anything else
  // makes it no version, so no junk ever reaches the status bar.
  for (qsizetype i = digits; i < four.size(); ++i)
    if (four[i] != '\r' && four[i] != '\n' && four[i] != ' ' && four[i] != '\t') return {};
  return QString::fromLatin1(four.left(digits));
}

bool IsNewerVersion(const QString& version, const QString& own) {
  return !version.isEmpty() && QString::compare(version, own, Qt::CaseSensitive) > 0;
}

TVersionCheck::TVersionCheck(QString own, QObject* parent)
    : QObject(parent), own_(std::move(own)), sokVersion_(this), timVersionCheck_(this) {
  timVersionCheck_.setInterval(kBoundMs);
  timVersionCheck_.setSingleShot(true);
  connect(&timVersionCheck_, &QTimer::timeout, this, [this] {
    Q_EMIT OnDebug(QStringLiteral("Version check: no answer in time"));
    End();
  });
  connect(&sokVersion_, &QTcpSocket::connected, this, &TVersionCheck::Connected);
  connect(&sokVersion_, &QTcpSocket::readyRead, this, &TVersionCheck::FirstRead);
  connect(&sokVersion_, &QTcpSocket::errorOccurred, this, [this] {
    if (!Running()) return;  // the close of a finished check
    Q_EMIT OnDebug(QStringLiteral("Version check: ") + sokVersion_.errorString());
    End();
  });
}

bool TVersionCheck::StartVersionCheck(const QString& hostSetting) {
  const auto host = ParseVersionHost(hostSetting);
  if (!host) return false;
  if (Running()) End();
  sokVersion_.abort();
  hostHeader_ = host->header;
  timVersionCheck_.start();
  sokVersion_.connectToHost(host->name, host->port);
  return true;
}

void TVersionCheck::CloseVersionCheck() {
  if (Running()) End();
}

void TVersionCheck::Connected() {
  sokVersion_.write(VersionRequest(hostHeader_));
}

void TVersionCheck::FirstRead() {
  if (!Running()) return;
  // Only what has arrived with the first read counts; the connection closes after it.
  const QByteArray reply = sokVersion_.readAll();
  timVersionCheck_.stop();
  sokVersion_.abort();
  const QString version = VersionInReply(reply);
  Q_EMIT OnDebug(QStringLiteral("Version check: read \"") + version + u'"');
  if (IsNewerVersion(version, own_)) Q_EMIT OnNewVersion(version);
  Q_EMIT OnEnded();
}

void TVersionCheck::End() {
  timVersionCheck_.stop();
  sokVersion_.abort();
  Q_EMIT OnEnded();
}

}  // namespace zorvane
