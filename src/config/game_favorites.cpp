// SPDX-License-Identifier: GPL-2.0-or-later
#include "config/game_favorites.h"

#include <algorithm>

#include "config/ini_document.h"
#include "config/text_lines.h"
#include "query/network_text.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

QString FavoriteKeyName(qint64 index) {
  return QLatin1StringView(kUTFavoriteKeyPrefix) + u'[' + QString::number(index) + u']';
}

// N of a key "Favorites[N]" (decimal, no leading zeros, at most ten digits); -1 otherwise.
qint64 FavoriteIndex(const QString& key) {
  const QLatin1StringView prefix(kUTFavoriteKeyPrefix);
  if (key.size() < prefix.size() + 3 || !key.startsWith(prefix, Qt::CaseInsensitive) ||
      key[prefix.size()] != u'[' || !key.endsWith(u']'))
    return -1;
  const QStringView digits = QStringView(key).mid(prefix.size() + 1, key.size() - prefix.size() - 2);
  if (digits.size() > 10 || (digits.size() > 1 && digits[0] == u'0') ||
      !std::all_of(digits.begin(), digits.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
    return -1;
  return digits.toLongLong();
}

// A section header of any name: the end of the console section's body.
bool OpensSection(const QString& line) {
  const QString trimmed = line.trimmed();
  return trimmed.startsWith(u'[') && trimmed.contains(u']');
}

}  // namespace

bool SameFavoriteKey(const QString& a, const QString& b) {
  return a.compare(b, Qt::CaseInsensitive) == 0;
}

std::optional<TGameFavorite> ParseUTFavorite(const QString& value) {
  const qsizetype first = value.indexOf(u'\\');
  if (first < 0) return std::nullopt;
  const qsizetype second = value.indexOf(u'\\', first + 1);
  if (second < 0) return std::nullopt;
  const qsizetype third = value.indexOf(u'\\', second + 1);
  if (third < 0) return std::nullopt;
  TGameFavorite favorite;
  favorite.description = value.left(first);
  favorite.host = value.mid(first + 1, second - first - 1).trimmed();
  favorite.port = value.mid(second + 1, third - second - 1).trimmed();
  favorite.autoUpdate = value.mid(third + 1);
  return favorite;
}

QString FormatUTFavorite(const TGameFavorite& favorite) {
  // Colour codes go first: their colour bytes may be backslashes too.
  const QString host = StripColourCodes(favorite.host);
  if (host.contains(u'\\') || favorite.port.contains(u'\\')) return {};
  return StripAfterBackslash(StripColourCodes(favorite.description)) + u'\\' + host + u'\\' +
         favorite.port + u'\\' + StripColourCodes(favorite.autoUpdate);
}

bool IsUT2004ConsoleHeader(const QString& line) {
  const QLatin1StringView header(kUT2004ConsoleHeader);
  return QStringView(line).left(header.size()).compare(header, Qt::CaseInsensitive) == 0;
}

bool IsUT2004FavoriteLine(const QString& line) {
  return line.startsWith(QLatin1StringView("Favorites="), Qt::CaseInsensitive);
}

std::optional<TGameFavorite> ParseUT2004Favorite(const QString& line) {
  if (!IsUT2004FavoriteLine(line)) return std::nullopt;
  const QLatin1StringView ipMark("IP=\""), portMark("\",Port="), queryMark(",QueryPort="),
      nameMark(",ServerName=\"");
  const qsizetype ip = line.indexOf(ipMark, 0, Qt::CaseInsensitive);
  if (ip < 0) return std::nullopt;
  const qsizetype hostAt = ip + ipMark.size();
  const qsizetype port = line.indexOf(portMark, hostAt, Qt::CaseInsensitive);
  if (port < 0) return std::nullopt;
  const qsizetype query = line.indexOf(queryMark, port + portMark.size(), Qt::CaseInsensitive);
  if (query < 0) return std::nullopt;
  const qsizetype queryAt = query + queryMark.size();
  const qsizetype name = line.indexOf(nameMark, queryAt, Qt::CaseInsensitive);
  if (name < 0) return std::nullopt;
  TGameFavorite favorite;
  favorite.host = line.mid(hostAt, port - hostAt).trimmed();
  favorite.port = line.mid(queryAt, name - queryAt).trimmed();
  favorite.description = line.mid(name + nameMark.size());
  // The rest without its closing quote and bracket.
  favorite.description.chop(std::min<qsizetype>(2, favorite.description.size()));
  return favorite;
}

QString FormatUT2004Favorite(const TGameFavorite& favorite) {
  bool ok = false;
  const int queryPort = favorite.port.trimmed().toInt(&ok);
  if (!ok) return {};
  const auto quoted = [](const QString& text) {
    return StripColourCodes(text).replace(u'"', u'\'');
  };
  return QStringLiteral("Favorites=(ServerID=0,IP=\"") + quoted(favorite.host) +
         QStringLiteral("\",Port=") + QString::number(queryPort - 1) +
         QStringLiteral(",QueryPort=") + QString::number(queryPort) +
         QStringLiteral(",ServerName=\"") + quoted(favorite.description) + QStringLiteral("\")");
}

TUTFavoriteList ReadUTFavoriteList(const TIniDocument& ini) {
  const QString section = QLatin1StringView(kUTFavoritesSection);
  TUTFavoriteList list;
  bool ok = false;
  const qint64 count =
      ini.ReadString(section, QLatin1StringView(kUTFavoriteCountKey), QString()).trimmed().toLongLong(&ok);
  list.countReadable = ok && count >= 0;
  list.count = list.countReadable ? count : 0;
  for (const QString& key : ini.ReadSection(section)) {
    const qint64 index = FavoriteIndex(key);
    if (index < 0 || (list.countReadable && index >= count)) continue;
    list.indices.push_back(index);
  }
  std::sort(list.indices.begin(), list.indices.end());
  list.indices.erase(std::unique(list.indices.begin(), list.indices.end()), list.indices.end());
  for (const qint64 index : list.indices)
    list.values << ini.ReadString(section, FavoriteKeyName(index), QString());
  return list;
}

void WriteUTFavoriteList(TIniDocument& ini, const TUTFavoriteList& old, const QStringList& values) {
  const QString section = QLatin1StringView(kUTFavoritesSection);
  for (qsizetype i = 0; i < values.size(); ++i) {
    const QString key = FavoriteKeyName(i);
    if (!ini.ValueExists(section, key) || ini.ReadString(section, key, QString()) != values[i])
      ini.WriteString(section, key, values[i]);
  }
  for (const qint64 index : old.indices)
    if (index >= values.size()) ini.DeleteKey(section, FavoriteKeyName(index));
  const QString countKey = QLatin1StringView(kUTFavoriteCountKey);
  if (!old.countReadable || old.count != values.size() || !ini.ValueExists(section, countKey))
    ini.WriteInteger(section, countKey, values.size());
}

std::vector<TLineRange> UT2004ConsoleSections(const TTextLines& lines) {
  std::vector<TLineRange> ranges;
  for (int i = 0; i < lines.Count(); ++i) {
    if (!IsUT2004ConsoleHeader(lines.Line(i))) continue;
    TLineRange range{i, i + 1, i + 1};
    while (range.end < lines.Count() && !OpensSection(lines.Line(range.end))) ++range.end;
    ranges.push_back(range);
    i = range.end - 1;
  }
  return ranges;
}

}  // namespace zorvane
