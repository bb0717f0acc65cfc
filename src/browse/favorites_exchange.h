// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// The favourites exchanged with the games' own files: opening a game's favourites file,
// importing its entries into the stash, exporting stash favourites into it, and mirroring a
// favourite's edit or deletion. No widgets: what the user must be told goes to a message sink
// (nothing at all when silent), and each call says what became of the file.
//
// The dialogs stay with the caller. OpenGameFavoritesFile needs a game that has a path; when
// none was named, OnlyGameWithFavoritesPath gives the one to take, and when that is empty, or
// the game has no path, the caller asks with the game-path dialog (prompts below) first.

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

#include "config/game_favorites.h"
#include "config/message_sink.h"

namespace zorvane {

class TIniDocument;
class TServer;
class TServerStash;
class TTextLines;
struct TGameTables;

// The verbs the favourites commands open a file with.
inline constexpr const char* kVerbImport = "Import from";
inline constexpr const char* kVerbExport = "Export to";
inline constexpr const char* kVerbDelete = "delete from";
inline constexpr const char* kVerbEdit = "edit to";
// The game-path dialog's prompt when the game has no favourites path yet.
inline constexpr const char* kFavoritesPathPrompt = "Please enter the directory and file name";
// Its prompt when the game is still to be chosen: verb + " which UT directory?".
QString ChooseGamePrompt(const QString& verb);

// A game's favourites file, read whole: an INI document for the variant "UT", its lines for the
// others (the UT2004 console section).
class TGameFavoritesFile {
 public:
  TGameFavoritesFile(QString game, QString variant, QString path);
  ~TGameFavoritesFile();

  const QString& Game() const { return game_; }
  const QString& Variant() const { return variant_; }
  const QString& Path() const { return path_; }
  bool IsUT() const;

  TIniDocument* Ini() const { return ini_.get(); }     // variant "UT"
  TTextLines* Lines() const { return lines_.get(); }   // the others

  // Reads the file; false when it is missing, no regular file, over 16 MiB, binary or
  // unreadable. A file that was not read is never written.
  bool Load();

 private:
  QString game_, variant_, path_;
  std::unique_ptr<TIniDocument> ini_;
  std::unique_ptr<TTextLines> lines_;
};

// What became of a game file.
enum class TFavoritesWrite {
  Unchanged,  // nothing to change (or nothing could be read): the file was not touched
  Written,
  ReadOnly,   // the file is read-only: left as it was
  Failed,     // the new file could not be written: the old one is still there, whole
};

// The game to take when none was named: the only game with a favourites path; empty when no
// game or several have one.
QString OnlyGameWithFavoritesPath(const TGameTables& tables);

// Opens game's favourites file (its "gameFavoritesPath"). Unless silent, reports (error)
// "Could not find " + path + "." for a missing file, "Could not open the ini for that game."
// when nothing could be opened, and "The file to " + verb + " was not specified." when the game
// has no path (or is no known game). Null on failure.
std::unique_ptr<TGameFavoritesFile> OpenGameFavoritesFile(const QString& verb, const QString& game,
                                                          bool silent, const TGameTables& tables,
                                                          TMessageSink& messages);

// The entry a stash favourite makes: host = DNSName when set, else IP; port = the query port.
TGameFavorite FavoriteOf(const TServer& server);

struct TImportedFavorite {
  QString key;          // the stash key of the favourite added
  QString description;
};

// Adds every readable entry of the file to the stash as a favourite of the file's game (game
// "UT" for the UT file, "UT2004" for the others) and returns those the stash took, in file
// order; the view adds their rows and queries them. Reports "You do not have any favorites."
// (information) for a file without entries, unless silent.
std::vector<TImportedFavorite> ImportFavorites(TGameFavoritesFile& file, TServerStash& stash,
                                               bool silent, TMessageSink& messages);
// At start with favourites kept in sync: every game with a favourites path, silently.
std::vector<TImportedFavorite> ImportAllGameFavorites(const TGameTables& tables,
                                                      TServerStash& stash);

struct TExportResult {
  int exported = 0;
  int notExported = 0;  // already in the file, or no longer in the stash
  TFavoritesWrite write = TFavoritesWrite::Unchanged;
};

// Adds the stash servers of keys that the file does not hold yet (host:port, ignoring case).
// Unless silent, reports (information) N + " favorite was successfully exported." / " favorites
// were successfully exported." and the ones not exported, or the write's failure (error).
TExportResult WriteFavoritesToGameFile(const QStringList& keys, TGameFavoritesFile& file,
                                       bool silent, const TServerStash& stash,
                                       TMessageSink& messages);

// Removes the entries of host:port from the file (renumbering the UT list). Unless silent,
// reports a failed write.
TFavoritesWrite DeleteFavoriteFromGameFile(const QString& host, int port, TGameFavoritesFile& file,
                                           bool silent, TMessageSink& messages);

// Whether an edit adds the favourite to a file that lacks its old entry.
enum class TMissingEntry {
  AsTheGameDoes,  // a UT list gets it added, a UT2004 file stays as it is
  Add,            // added to either (the favourite moved to this file's game)
};

// Rewrites the entry of oldHost:oldPort from the edited record. Unless silent, reports a
// failed write.
TFavoritesWrite EditFavoriteInGameFile(const TServer& edited, TGameFavoritesFile& file, int oldPort,
                                       const QString& oldHost, bool silent, TMessageSink& messages,
                                       TMissingEntry missing = TMissingEntry::AsTheGameDoes);

// The game whose file a favourite belongs to: its association (GameTypeName), else the game of
// its game type.
enum class TFavoriteGameStatus {
  Found,
  NoGameType,       // no association and no game type reported yet
  TypeNotListed,    // its game type is not in the game-type list
  TypeWithoutGame,  // its game type names no game
};
struct TFavoriteGame {
  TFavoriteGameStatus status = TFavoriteGameStatus::NoGameType;
  QString game;      // when Found
  QString typeName;  // the game type looked at
};
TFavoriteGame FavoriteGameOf(const TServer& server, const TGameTables& tables);

// Exports one stash favourite into its game's file. Unless silent, reports "Sorry, could not
// find that server in the internal cache." (error), "This game type is currently not supported.
// See GamePluginHelp.txt for more information." or "The game type " + type + " does not have a
// game associated with it. Use the menu 'System/Game Types' to set this up." (information),
// and what OpenGameFavoritesFile and WriteFavoritesToGameFile report. It never asks for a path:
// a caller that may ask does so before, when FavoriteGameOf names a game without one.
TExportResult ExportFavorite(const QString& key, bool silent, const TServerStash& stash,
                             const TGameTables& tables, TMessageSink& messages);

// The keys of every stash favourite of the game variant, in stash order (export of all).
QStringList FavoriteKeysOfVariant(const TServerStash& stash, const QString& variant);

// Where an edited favourite's new key lands.
enum class TFavoriteKeyChange {
  SameServer,     // the key is unchanged, or no other stash server has it: edit in place
  ListedServer,   // another server that is no favourite has it: that one takes over
  OtherFavorite,  // another favourite has it: the edit is refused (FavoriteTakenText)
};
TFavoriteKeyChange FavoriteKeyChange(const TServerStash& stash, const QString& oldKey,
                                     const QString& newKey);
// "The IP of " + ipText + " is already in the favorite list. Could not update favorite."
QString FavoriteTakenText(const QString& ipText);
// The takeover: the server of oldKey stops being a favourite (it stays in the stash, as
// DropFavorite leaves it), the one of newKey becomes one with the dialog's description,
// auto-update flag and version. False when either key is unknown.
bool MoveFavoriteOnto(TServerStash& stash, const QString& oldKey, const QString& newKey,
                      const QString& description, const QString& autoUpdate,
                      const QString& version);

// Favourites kept in sync: a favourite's edit or its deletion mirrored silently into its
// game's file. Nothing when the favourite has no game or the game no file.
// An edit: the favourite was oldHost:oldPort in the file of oldGame (FavoriteGameOf before the
// edit; empty for none), and is now the edited record of its game (FavoriteGameOf after it).
// When the two games keep different files, the entry leaves the old file and joins the new.
// The first failed write is returned, else Written when a file changed.
TFavoritesWrite MirrorFavoriteEdit(const TServer& edited, const QString& oldHost, int oldPort,
                                   const QString& oldGame, const TGameTables& tables);
TFavoritesWrite MirrorFavoriteDelete(const TServer& server, const TGameTables& tables);

}  // namespace zorvane
