// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/plain_text.h"

#include <QStringList>
#include <algorithm>

#include "query/network_text.h"
#include "query/server_record.h"

namespace zorvane {

namespace {

// C1 controls: some terminals act on them like escape sequences.
bool IsC1(QChar c) { return c.unicode() >= 0x80 && c.unicode() <= 0x9F; }

QString OrDash(const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; }

}  // namespace

QString PlainText(QStringView text) {
  QString out = StripColourCodes(text);
  std::replace_if(out.begin(), out.end(), IsC1, QChar(u' '));
  return out;
}

QByteArray ServerTextLine(const QString& key, const TServer& server) {
  const QString players = server.NumPlayers().isEmpty() && server.MaxPlayers().isEmpty()
                              ? QStringLiteral("-")
                              : OrDash(server.NumPlayers()) + u'/' + OrDash(server.MaxPlayers());
  QStringList columns{key,
                      server.Ping(),
                      players,
                      OrDash(server.MapName()),
                      OrDash(server.GameType()),
                      OrDash(server.Description())};
  for (QString& column : columns) column = PlainText(column);
  return columns.join(u'\t').toUtf8();
}

}  // namespace zorvane
