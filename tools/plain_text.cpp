#include "tools/plain_text.h"

#include <QStringList>

#include "query/server_record.h"

namespace zorvane {

namespace {

constexpr char16_t kColourCode = 0x1B;
constexpr qsizetype kColourBytes = 3;  // after the escape: red, green, blue

bool IsControl(char16_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F); }

QString OrDash(const QString& text) { return text.isEmpty() ? QStringLiteral("-") : text; }

}  // namespace

QString PlainText(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype i = 0; i < text.size(); ++i) {
    const char16_t c = text[i].unicode();
    if (c == kColourCode) {
      i += kColourBytes;  // a code cut short at the end takes the rest with it
    } else {
      out.append(IsControl(c) ? QChar(u' ') : text[i]);
    }
  }
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
