// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// Replies captured from real servers (tests/data): datagrams separated by a line "||".

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

namespace zorvane::testing {

inline QList<QByteArray> LoadCapture(const QString& name) {
  QFile file(QStringLiteral(ZORVANE_TEST_DATA "/") + name);
  if (!file.open(QIODevice::ReadOnly)) return {};
  const QByteArray all = file.readAll();
  QList<QByteArray> datagrams;
  qsizetype from = 0;
  for (;;) {
    const qsizetype at = all.indexOf("\n||\n", from);
    datagrams.append(all.mid(from, at < 0 ? -1 : at - from));
    if (at < 0) return datagrams;
    from = at + 4;
  }
}

}  // namespace zorvane::testing
