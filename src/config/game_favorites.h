// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The favourites the games keep in their own INI files, entry by entry.
//
// UT: section "UBrowser.UBrowserFavoritesFact" with "FavoriteCount" and "Favorites[N]" =
// description \ host \ query port \ auto-update flag.
// UT2004: lines "Favorites=(ServerID=0,IP="host",Port=game port,QueryPort=query port,
// ServerName="description")" in the section "[XInterface.ExtendedConsole]".
//
// These are the user's files: the helpers here read and change single entries and leave every
// other line as it was.

#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace zorvane {

class TIniDocument;
class TTextLines;

inline constexpr const char* kUTFavoritesSection = "UBrowser.UBrowserFavoritesFact";
inline constexpr const char* kUTFavoriteCountKey = "FavoriteCount";
inline constexpr const char* kUTFavoriteKeyPrefix = "Favorites";
inline constexpr const char* kUT2004ConsoleHeader = "[XInterface.ExtendedConsole]";

// One favourite as a game file holds it; port is the query port.
struct TGameFavorite {
  QString description;
  QString host;
  QString port;
  QString autoUpdate = QStringLiteral("True");

  // host ":" port, the server key the entry stands for.
  QString Key() const { return host + u':' + port; }
};

// Whether two keys name the same server (case-insensitive, as server keys compare).
bool SameFavoriteKey(const QString& a, const QString& b);

// A "Favorites[N]" value split at its first three backslashes; none with fewer than three.
std::optional<TGameFavorite> ParseUTFavorite(const QString& value);
// The value for a "Favorites[N]" key. Colour codes are dropped and the description is cut at
// its first backslash, so it cannot shift the fields after it. Empty for a host or port with a
// backslash: cut, it would name another server, so no entry can be written for it.
QString FormatUTFavorite(const TGameFavorite& favorite);

// Whether the line opens the UT2004 console section (its first 28 characters, ignoring case).
bool IsUT2004ConsoleHeader(const QString& line);
// Whether the line starts with "Favorites=" (ignoring case).
bool IsUT2004FavoriteLine(const QString& line);
// A "Favorites=" line read; none when one of its markers is missing.
std::optional<TGameFavorite> ParseUT2004Favorite(const QString& line);
// The "Favorites=" line: game port = query port - 1; a double quote in the description or the
// host becomes a single quote, colour codes are dropped. Empty when the port is no number.
QString FormatUT2004Favorite(const TGameFavorite& favorite);

// The "Favorites[N]" entries of a UT file that count: keys with N below "FavoriteCount", in
// index order. An unreadable or negative count counts every entry present; a count beyond the
// entries present (even two billion) costs nothing.
struct TUTFavoriteList {
  std::vector<qint64> indices;  // N of each entry, ascending
  QStringList values;           // the entries' values, as they stand
  bool countReadable = false;
  qint64 count = 0;             // "FavoriteCount" as read (0 when unreadable)

  // The index a new entry takes: after the last entry present.
  qint64 NextIndex() const { return indices.empty() ? 0 : indices.back() + 1; }
};
TUTFavoriteList ReadUTFavoriteList(const TIniDocument& ini);

// Makes the list's entries 0 .. values.size()-1 and "FavoriteCount" their number. Only the lines
// whose value changes are written; keys of old that are no longer needed are deleted, and keys
// the old count did not cover are left alone.
void WriteUTFavoriteList(TIniDocument& ini, const TUTFavoriteList& old, const QStringList& values);

// The body lines [first, end) of each copy of the UT2004 console section, in file order.
struct TLineRange {
  int header = -1;
  int first = 0;
  int end = 0;
};
std::vector<TLineRange> UT2004ConsoleSections(const TTextLines& lines);

}  // namespace zorvane
