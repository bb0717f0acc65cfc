// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/favorites_exchange.h"

#include <QFileInfo>
#include <QSet>

#include "config/game_tables.h"
#include "config/ini_document.h"
#include "config/text_lines.h"
#include "query/network_text.h"
#include "query/server_stash.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

const QString kUTVariant = QStringLiteral("UT");

QString Folded(const QString& key) {
  return key.toLower();
}

void Report(TMessageSink& messages, bool silent, TMessageKind kind, const QString& text) {
  if (!silent) messages.Show(kind, text);
}

void ReportWrite(TMessageSink& messages, bool silent, TFavoritesWrite write, const QString& path) {
  if (write == TFavoritesWrite::ReadOnly)
    Report(messages, silent, TMessageKind::Error,
           QStringLiteral("Could not write ") + path + QStringLiteral(": the file is read-only."));
  else if (write == TFavoritesWrite::Failed)
    Report(messages, silent, TMessageKind::Error, QStringLiteral("Could not write ") + path + u'.');
}

TFavoritesWrite SaveFile(const TGameFavoritesFile& file) {
  if (file.IsUT()) {
    if (IsReadOnlyFile(file.Path())) return TFavoritesWrite::ReadOnly;
    return file.Ini()->UpdateFile() ? TFavoritesWrite::Written : TFavoritesWrite::Failed;
  }
  switch (file.Lines()->Save()) {
    case TTextSave::Saved:
      return TFavoritesWrite::Written;
    case TTextSave::ReadOnly:
      return TFavoritesWrite::ReadOnly;
    case TTextSave::NotLoaded:
    case TTextSave::Failed:
      break;
  }
  return TFavoritesWrite::Failed;
}

TFavoritesWrite SaveAndReport(const TGameFavoritesFile& file, bool silent, TMessageSink& messages) {
  const TFavoritesWrite write = SaveFile(file);
  ReportWrite(messages, silent, write, file.Path());
  return write;
}

// The keys of the entries a UT list holds.
QSet<QString> UTKeys(const TUTFavoriteList& list) {
  QSet<QString> keys;
  for (const QString& value : list.values)
    if (const auto favorite = ParseUTFavorite(value)) keys.insert(Folded(favorite->Key()));
  return keys;
}

QSet<QString> UT2004Keys(const TTextLines& lines) {
  QSet<QString> keys;
  for (const TLineRange& range : UT2004ConsoleSections(lines))
    for (int i = range.first; i < range.end; ++i)
      if (const auto favorite = ParseUT2004Favorite(lines.Line(i)))
        keys.insert(Folded(favorite->Key()));
  return keys;
}

// Where new "Favorites=" lines go: before the first favourite or blank line of the console
// section; else at the end of that section (before the next one, or before a blank line
// appended at the end of the file). A file without the section gets it at its end.
int UT2004InsertionPoint(TTextLines& lines) {
  const auto ranges = UT2004ConsoleSections(lines);
  if (ranges.empty()) {
    lines.Append(QString());
    lines.Append(QLatin1StringView(kUT2004ConsoleHeader));
    lines.Append(QString());
    return lines.Count() - 1;
  }
  const TLineRange& range = ranges.front();
  for (int i = range.first; i < range.end; ++i)
    if (IsUT2004FavoriteLine(lines.Line(i)) || lines.Line(i).trimmed().isEmpty()) return i;
  if (range.end < lines.Count()) return range.end;
  lines.Append(QString());
  return lines.Count() - 1;
}

QString ExportReport(int exported, int notExported) {
  QString text = QString::number(exported) +
                 (exported == 1 ? QStringLiteral(" favorite was successfully exported.")
                                : QStringLiteral(" favorites were successfully exported."));
  if (notExported > 0)
    text += u'\n' + QString::number(notExported) +
            (notExported == 1
                 ? QStringLiteral(" was not exported because it is already in the file.")
                 : QStringLiteral(" were not exported because they are already in the file."));
  return text;
}

// A game's favourites file, opened silently; null when there is none.
std::unique_ptr<TGameFavoritesFile> OpenSilently(const QString& game, const TGameTables& tables,
                                                 const char* verb) {
  if (game.isEmpty()) return nullptr;
  TSilentSink silent;
  return OpenGameFavoritesFile(QLatin1StringView(verb), game, true, tables, silent);
}

// The game whose file the favourite's entry belongs in; empty for none.
QString FavoriteFileGame(const TServer& server, const TGameTables& tables) {
  const TFavoriteGame game = FavoriteGameOf(server, tables);
  return game.status == TFavoriteGameStatus::Found ? game.game : QString();
}

// Whether two games keep their favourites in one file (the same game, or one path for both).
bool SameFavoritesFile(const QString& a, const QString& b, const TGameTables& tables) {
  if (a.compare(b, Qt::CaseInsensitive) == 0) return true;
  const TGameInfo* pathsA = tables.FindPaths(a);
  const TGameInfo* pathsB = tables.FindPaths(b);
  if (!pathsA || !pathsB || pathsA->FavoritesPath.Value.isEmpty()) return false;
  return QFileInfo(pathsA->FavoritesPath.Value) == QFileInfo(pathsB->FavoritesPath.Value);
}

// Two writes as one: the first failure, else Written when either wrote.
TFavoritesWrite Both(TFavoritesWrite first, TFavoritesWrite second) {
  for (const TFavoritesWrite write : {first, second})
    if (write == TFavoritesWrite::ReadOnly || write == TFavoritesWrite::Failed) return write;
  return first == TFavoritesWrite::Written || second == TFavoritesWrite::Written
             ? TFavoritesWrite::Written
             : TFavoritesWrite::Unchanged;
}

}  // namespace

QString ChooseGamePrompt(const QString& verb) {
  return verb + QStringLiteral(" which UT directory?");
}

TGameFavoritesFile::TGameFavoritesFile(QString game, QString variant, QString path)
    : game_(std::move(game)), variant_(std::move(variant)), path_(std::move(path)) {}

TGameFavoritesFile::~TGameFavoritesFile() = default;

bool TGameFavoritesFile::IsUT() const {
  return variant_.compare(kUTVariant, Qt::CaseInsensitive) == 0;
}

bool TGameFavoritesFile::Load() {
  ini_.reset();
  lines_.reset();
  const QFileInfo info(path_);
  if (!info.exists() || !info.isFile()) return false;
  if (IsUT()) {
    auto ini = std::make_unique<TIniDocument>(path_);
    // No game writes a zero byte into its INI files: such a file is something else.
    if (!ini->Load() || ini->ToBytes().contains('\0')) return false;
    ini_ = std::move(ini);
    return true;
  }
  auto lines = std::make_unique<TTextLines>(path_);
  if (lines->Load() != TTextLoad::Loaded) return false;
  lines_ = std::move(lines);
  return true;
}

QString OnlyGameWithFavoritesPath(const TGameTables& tables) {
  QString found;
  int count = 0;
  for (const auto& game : tables.games) {
    const TGameInfo* paths = tables.FindPaths(game->Name.Value);
    if (!paths || paths->FavoritesPath.Value.isEmpty()) continue;
    found = game->Name.Value;
    ++count;
  }
  return count == 1 ? found : QString();
}

std::unique_ptr<TGameFavoritesFile> OpenGameFavoritesFile(const QString& verb, const QString& game,
                                                          bool silent, const TGameTables& tables,
                                                          TMessageSink& messages) {
  const TGame* record = game.isEmpty() ? nullptr : tables.FindGame(game);
  const TGameInfo* paths = record ? tables.FindPaths(game) : nullptr;
  const QString path = paths ? paths->FavoritesPath.Value : QString();
  if (path.isEmpty()) {
    Report(messages, silent, TMessageKind::Error,
           QStringLiteral("The file to ") + verb + QStringLiteral(" was not specified."));
    return nullptr;
  }
  if (!QFileInfo::exists(path))
    Report(messages, silent, TMessageKind::Error, QStringLiteral("Could not find ") + path + u'.');
  auto file = std::make_unique<TGameFavoritesFile>(record->Name.Value, record->Value.Value, path);
  if (!file->Load()) {
    Report(messages, silent, TMessageKind::Error,
           QStringLiteral("Could not open the ini for that game."));
    return nullptr;
  }
  return file;
}

TGameFavorite FavoriteOf(const TServer& server) {
  TGameFavorite favorite;
  favorite.description = server.Description();
  favorite.host = server.DNSName().isEmpty() ? server.IP() : server.DNSName();
  favorite.port = QString::number(server.Port);
  favorite.autoUpdate = server.AutoUpdateDescription();
  return favorite;
}

std::vector<TImportedFavorite> ImportFavorites(TGameFavoritesFile& file, TServerStash& stash,
                                               bool silent, TMessageSink& messages) {
  std::vector<TGameFavorite> entries;
  QString game;
  if (file.IsUT()) {
    game = kUTVariant;
    for (const QString& value : ReadUTFavoriteList(*file.Ini()).values)
      if (auto favorite = ParseUTFavorite(value)) entries.push_back(std::move(*favorite));
  } else {
    game = QStringLiteral("UT2004");
    const TTextLines& lines = *file.Lines();
    for (const TLineRange& range : UT2004ConsoleSections(lines))
      for (int i = range.first; i < range.end; ++i)
        if (auto favorite = ParseUT2004Favorite(lines.Line(i))) {
          favorite->autoUpdate = QStringLiteral("true");
          entries.push_back(std::move(*favorite));
        }
  }
  std::vector<TImportedFavorite> added;
  if (entries.empty()) {
    Report(messages, silent, TMessageKind::Information,
           QStringLiteral("You do not have any favorites."));
    return added;
  }
  for (const TGameFavorite& entry : entries) {
    // A name from a file is kept like a name from the network: no control characters.
    const QString description = SanitizeNetworkText(entry.description);
    if (!stash.AddServer(entry.host, entry.port, file.Game(), true, game,
                         SanitizeNetworkText(entry.autoUpdate), description))
      continue;
    const QString key = entry.host + u':' + QString::number(entry.port.toInt());
    const int index = stash.IndexOf(key);
    added.push_back({index >= 0 ? stash.Key(index) : key, description});
  }
  return added;
}

std::vector<TImportedFavorite> ImportAllGameFavorites(const TGameTables& tables,
                                                      TServerStash& stash) {
  std::vector<TImportedFavorite> added;
  TSilentSink silent;
  for (const auto& game : tables.games) {
    const TGameInfo* paths = tables.FindPaths(game->Name.Value);
    if (!paths || paths->FavoritesPath.Value.isEmpty()) continue;
    auto file = OpenGameFavoritesFile(QLatin1StringView(kVerbImport), game->Name.Value, true,
                                      tables, silent);
    if (!file) continue;
    for (auto& favorite : ImportFavorites(*file, stash, true, silent))
      added.push_back(std::move(favorite));
  }
  return added;
}

namespace {

// The listed servers of keys that present does not hold yet, each once, and each that the
// file's format can hold.
std::vector<TGameFavorite> NewFavorites(const QStringList& keys, const TServerStash& stash,
                                        QSet<QString> present, bool ut) {
  std::vector<TGameFavorite> fresh;
  for (const QString& key : keys) {
    const TServer* server = stash.Find(key);
    if (!server) continue;
    const TGameFavorite favorite = FavoriteOf(*server);
    if (present.contains(Folded(favorite.Key()))) continue;
    if ((ut ? FormatUTFavorite(favorite) : FormatUT2004Favorite(favorite)).isEmpty()) continue;
    present.insert(Folded(favorite.Key()));
    fresh.push_back(favorite);
  }
  return fresh;
}

}  // namespace

TExportResult WriteFavoritesToGameFile(const QStringList& keys, TGameFavoritesFile& file,
                                       bool silent, const TServerStash& stash,
                                       TMessageSink& messages) {
  TExportResult result;
  std::vector<TGameFavorite> fresh;
  if (file.IsUT()) {
    const TUTFavoriteList list = ReadUTFavoriteList(*file.Ini());
    fresh = NewFavorites(keys, stash, UTKeys(list), true);
    if (!fresh.empty()) {
      const QString section = QLatin1StringView(kUTFavoritesSection);
      qint64 next = list.NextIndex();
      for (const TGameFavorite& favorite : fresh)
        file.Ini()->WriteString(
            section,
            QLatin1StringView(kUTFavoriteKeyPrefix) + u'[' + QString::number(next++) + u']',
            FormatUTFavorite(favorite));
      file.Ini()->WriteInteger(section, QLatin1StringView(kUTFavoriteCountKey), next);
    }
  } else {
    TTextLines& lines = *file.Lines();
    if (lines.Count() == 0) {
      Report(messages, silent, TMessageKind::Error,
             QStringLiteral("Could not open the ini for that UT Version."));
      result.notExported = int(keys.size());
      return result;
    }
    fresh = NewFavorites(keys, stash, UT2004Keys(lines), false);
    if (!fresh.empty()) {
      int point = UT2004InsertionPoint(lines);
      for (const TGameFavorite& favorite : fresh)
        lines.Insert(point++, FormatUT2004Favorite(favorite));
    }
  }
  result.exported = int(fresh.size());
  result.notExported = int(keys.size()) - result.exported;
  if (fresh.empty()) {
    Report(messages, silent, TMessageKind::Information, ExportReport(0, result.notExported));
    return result;
  }
  result.write = SaveFile(file);
  if (result.write != TFavoritesWrite::Written) {
    ReportWrite(messages, silent, result.write, file.Path());
    result.notExported += result.exported;
    result.exported = 0;
    return result;
  }
  Report(messages, silent, TMessageKind::Information,
         ExportReport(result.exported, result.notExported));
  return result;
}

TFavoritesWrite DeleteFavoriteFromGameFile(const QString& host, int port, TGameFavoritesFile& file,
                                           bool silent, TMessageSink& messages) {
  const QString key = Folded(host.trimmed() + u':' + QString::number(port));
  bool removed = false;
  if (file.IsUT()) {
    if (!file.Ini()->SectionExists(QLatin1StringView(kUTFavoritesSection)))
      return TFavoritesWrite::Unchanged;
    const TUTFavoriteList list = ReadUTFavoriteList(*file.Ini());
    QStringList kept;
    // Entries that cannot be read are the user's too: they stay, renumbered with the rest.
    for (const QString& value : list.values) {
      const auto favorite = ParseUTFavorite(value);
      if (favorite && Folded(favorite->Key()) == key)
        removed = true;
      else
        kept << value;
    }
    if (removed) WriteUTFavoriteList(*file.Ini(), list, kept);
  } else {
    TTextLines& lines = *file.Lines();
    const auto ranges = UT2004ConsoleSections(lines);
    for (auto range = ranges.rbegin(); range != ranges.rend(); ++range)
      for (int i = range->end - 1; i >= range->first; --i) {
        const auto favorite = ParseUT2004Favorite(lines.Line(i));
        if (favorite && Folded(favorite->Key()) == key) {
          lines.Remove(i);
          removed = true;
        }
      }
  }
  return removed ? SaveAndReport(file, silent, messages) : TFavoritesWrite::Unchanged;
}

TFavoritesWrite EditFavoriteInGameFile(const TServer& edited, TGameFavoritesFile& file, int oldPort,
                                       const QString& oldHost, bool silent, TMessageSink& messages,
                                       TMissingEntry missing) {
  const QString oldKey = Folded(oldHost.trimmed() + u':' + QString::number(oldPort));
  const TGameFavorite favorite = FavoriteOf(edited);
  const QString newKey = Folded(favorite.Key());
  // Every entry of the server before or after the edit becomes the one edited entry: an old
  // one left behind would come back at the next start, a second new one would be a duplicate.
  const auto isEdited = [&](const std::optional<TGameFavorite>& entry) {
    if (!entry) return false;
    const QString key = Folded(entry->Key());
    return key == oldKey || key == newKey;
  };
  if (file.IsUT()) {
    const QString value = FormatUTFavorite(favorite);
    if (value.isEmpty()) return TFavoritesWrite::Unchanged;
    if (missing != TMissingEntry::Add &&
        !file.Ini()->SectionExists(QLatin1StringView(kUTFavoritesSection)))
      return TFavoritesWrite::Unchanged;
    const TUTFavoriteList list = ReadUTFavoriteList(*file.Ini());
    QStringList values;
    bool placed = false;
    for (const QString& entry : list.values) {
      if (!isEdited(ParseUTFavorite(entry)))
        values << entry;
      else if (!placed)
        values << value, placed = true;
    }
    if (!placed) values << value;  // the game's list gets it at its end
    if (values == list.values && list.countReadable && list.count == values.size())
      return TFavoritesWrite::Unchanged;
    WriteUTFavoriteList(*file.Ini(), list, values);
  } else {
    TTextLines& lines = *file.Lines();
    const QString line = FormatUT2004Favorite(favorite);
    if (line.isEmpty()) return TFavoritesWrite::Unchanged;
    int at = -1;
    std::vector<int> more;  // further entries of the server, after at
    for (const TLineRange& range : UT2004ConsoleSections(lines))
      for (int i = range.first; i < range.end; ++i) {
        if (!isEdited(ParseUT2004Favorite(lines.Line(i)))) continue;
        if (at < 0)
          at = i;
        else
          more.push_back(i);
      }
    if (at < 0) {
      // As an export: an empty file is no game's file.
      if (missing != TMissingEntry::Add || lines.Count() == 0) return TFavoritesWrite::Unchanged;
      lines.Insert(UT2004InsertionPoint(lines), line);
    } else {
      if (more.empty() && lines.Line(at) == line) return TFavoritesWrite::Unchanged;
      for (auto i = more.rbegin(); i != more.rend(); ++i) lines.Remove(*i);
      lines.Replace(at, line);
    }
  }
  return SaveAndReport(file, silent, messages);
}

TFavoriteGame FavoriteGameOf(const TServer& server, const TGameTables& tables) {
  TFavoriteGame result;
  if (!server.GameTypeName().isEmpty()) {
    result.status = TFavoriteGameStatus::Found;
    result.game = server.GameTypeName();
    return result;
  }
  result.typeName = server.GameType();
  if (result.typeName.isEmpty()) return result;
  const TGameType* type = tables.FindGameType(result.typeName);
  if (!type) {
    result.status = TFavoriteGameStatus::TypeNotListed;
    return result;
  }
  if (type->Game.Value.isEmpty()) {
    result.status = TFavoriteGameStatus::TypeWithoutGame;
    return result;
  }
  result.status = TFavoriteGameStatus::Found;
  result.game = type->Game.Value;
  return result;
}

TExportResult ExportFavorite(const QString& key, bool silent, const TServerStash& stash,
                             const TGameTables& tables, TMessageSink& messages) {
  const TServer* server = stash.Find(key);
  if (!server) {
    Report(messages, silent, TMessageKind::Error,
           QStringLiteral("Sorry, could not find that server in the internal cache."));
    return {};
  }
  const TFavoriteGame game = FavoriteGameOf(*server, tables);
  switch (game.status) {
    case TFavoriteGameStatus::Found:
      break;
    case TFavoriteGameStatus::NoGameType:
    case TFavoriteGameStatus::TypeNotListed:
      Report(messages, silent, TMessageKind::Information,
             QStringLiteral("This game type is currently not supported. See GamePluginHelp.txt "
                            "for more information."));
      return {};
    case TFavoriteGameStatus::TypeWithoutGame:
      Report(messages, silent, TMessageKind::Information,
             QStringLiteral("The game type ") + game.typeName +
                 QStringLiteral(" does not have a game associated with it. Use the menu "
                                "'System/Game Types' to set this up."));
      return {};
  }
  auto file =
      OpenGameFavoritesFile(QLatin1StringView(kVerbExport), game.game, silent, tables, messages);
  if (!file) return {};
  return WriteFavoritesToGameFile({key}, *file, silent, stash, messages);
}

QStringList FavoriteKeysOfVariant(const TServerStash& stash, const QString& variant) {
  QStringList keys;
  for (int i = 0; i < stash.Count(); ++i) {
    const TServer* server = stash.Server(i);
    if (server->Favorite && server->Game().compare(variant, Qt::CaseInsensitive) == 0)
      keys << stash.Key(i);
  }
  return keys;
}

TFavoriteKeyChange FavoriteKeyChange(const TServerStash& stash, const QString& oldKey,
                                     const QString& newKey) {
  if (SameFavoriteKey(oldKey, newKey)) return TFavoriteKeyChange::SameServer;
  const TServer* other = stash.Find(newKey);
  if (!other) return TFavoriteKeyChange::SameServer;
  return other->Favorite ? TFavoriteKeyChange::OtherFavorite : TFavoriteKeyChange::ListedServer;
}

QString FavoriteTakenText(const QString& ipText) {
  return QStringLiteral("The IP of ") + ipText +
         QStringLiteral(" is already in the favorite list. Could not update favorite.");
}

bool MoveFavoriteOnto(TServerStash& stash, const QString& oldKey, const QString& newKey,
                      const QString& description, const QString& autoUpdate,
                      const QString& version) {
  const int oldIndex = stash.IndexOf(oldKey);
  const int otherIndex = stash.IndexOf(newKey);
  if (oldIndex < 0 || otherIndex < 0 || oldIndex == otherIndex) return false;
  TServer* other = stash.Server(otherIndex);
  stash.DropFavorite(oldIndex);
  stash.TakeAsFavorite(otherIndex, description, autoUpdate);
  other->SetGame(version);
  other->QueryVersion = GameQueryVersion(version);  // the game decides how it is asked
  return true;
}

TFavoritesWrite MirrorFavoriteEdit(const TServer& edited, const QString& oldHost, int oldPort,
                                   const QString& oldGame, const TGameTables& tables) {
  const QString newGame = FavoriteFileGame(edited, tables);
  TSilentSink silent;
  if (!oldGame.isEmpty() && !newGame.isEmpty() && SameFavoritesFile(oldGame, newGame, tables)) {
    auto file = OpenSilently(newGame, tables, kVerbEdit);
    if (!file) return TFavoritesWrite::Unchanged;
    return EditFavoriteInGameFile(edited, *file, oldPort, oldHost, true, silent);
  }
  // Another game's file: out of the old one, into the new one. Each is read just before its
  // write, so neither is written from a copy older than the other's change.
  TFavoritesWrite removed = TFavoritesWrite::Unchanged, added = TFavoritesWrite::Unchanged;
  if (auto file = OpenSilently(oldGame, tables, kVerbDelete))
    removed = DeleteFavoriteFromGameFile(oldHost, oldPort, *file, true, silent);
  if (auto file = OpenSilently(newGame, tables, kVerbEdit))
    added =
        EditFavoriteInGameFile(edited, *file, oldPort, oldHost, true, silent, TMissingEntry::Add);
  return Both(removed, added);
}

TFavoritesWrite MirrorFavoriteDelete(const TServer& server, const TGameTables& tables) {
  auto file = OpenSilently(FavoriteFileGame(server, tables), tables, kVerbDelete);
  if (!file) return TFavoritesWrite::Unchanged;
  TSilentSink silent;
  const QString host = server.DNSName().isEmpty() ? server.IP() : server.DNSName();
  return DeleteFavoriteFromGameFile(host, server.Port, *file, true, silent);
}

}  // namespace zorvane
