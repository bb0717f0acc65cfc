// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/query/history_run.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdio>
#include <limits>

#include "history/history_reader.h"

namespace zorvane {

namespace {

// A JSON string of text, escaped by Qt's JSON writer.
QByteArray JsonString(const QString& text) {
  return QJsonDocument(QJsonArray{text}).toJson(QJsonDocument::Compact).chopped(1).sliced(1);
}

}  // namespace

QByteArray HistoryJson(const QString& key, const std::vector<THistorySample>& samples) {
  QByteArray out = "{\"server\": " + JsonString(key) + ", \"samples\": [";
  for (std::size_t i = 0; i < samples.size(); ++i) {
    const THistorySample& s = samples[i];
    out += i == 0 ? "\n" : ",\n";
    out += "{\"time\": " + QByteArray::number(s.time) + ", \"utc\": \"" +
           QDateTime::fromSecsSinceEpoch(s.time, Qt::UTC).toString(Qt::ISODate).toLatin1() +
           "\", \"players\": " + QByteArray::number(s.players) +
           ", \"maxPlayers\": " + QByteArray::number(s.maxPlayers) +
           ", \"map\": " + JsonString(s.map) + "}";
  }
  return out + "]}";
}

int PrintHistory(const QString& dir, const QString& key) {
  const QString path = QDir(dir).filePath(QString::fromLatin1(kHistoryFileName));
  THistoryReader reader(path, THistoryReader::TMode::Look);
  QString problem;
  if (!reader.Open(&problem)) {
    std::fprintf(stderr, "zorvane-query: no server history in '%s': %s\n", qUtf8Printable(dir),
                 qUtf8Printable(problem));
    return 1;
  }
  const QByteArray json =
      HistoryJson(key, reader.Samples(key, std::numeric_limits<qint64>::min(),
                                      std::numeric_limits<qint64>::max()));
  std::fwrite(json.constData(), 1, std::size_t(json.size()), stdout);
  std::fputc('\n', stdout);
  return 0;
}

}  // namespace zorvane
