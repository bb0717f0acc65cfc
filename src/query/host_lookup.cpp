// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/host_lookup.h"

#include <QElapsedTimer>
#include <QHostInfo>
#include <cstdio>
#include <cstdlib>

namespace zorvane {

THostLookup SystemHostLookup() {
  return [](const QString& name, QObject* context, THostLookupDone done) {
    QHostInfo::lookupHost(name, context, [done](const QHostInfo& info) {
      for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() == QAbstractSocket::IPv4Protocol) {
          done(a, QString());
          return;
        }
      }
      done(QHostAddress(), info.error() == QHostInfo::NoError
                               ? QStringLiteral("No IPv4 address")
                               : info.errorString());
    });
  };
}

void EndProcessNow(int status) {
  std::fflush(nullptr);
  std::_Exit(status);
}

bool IsDottedAddress(const QString& host) {
  if (host.isEmpty() || !host.front().isDigit() || !host.back().isDigit()) return false;
  for (QChar c : host)
    if (!(c == u'.' || (c >= u'0' && c <= u'9'))) return false;
  return true;
}

quint32 TickCount() {
  QElapsedTimer timer;
  timer.start();
  return quint32(timer.msecsSinceReference());
}

}  // namespace zorvane
