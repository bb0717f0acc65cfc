// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What the set-up dialogs decide, without their widgets: the list editors of the games and the
// game types (their entries, validation and what OK and Cancel do to the tables), the game
// paths, the visible tabs and the local port.

#include <QString>
#include <QStringList>
#include <memory>
#include <optional>
#include <vector>

#include "config/game_tables.h"
#include "config/installed_games.h"

namespace zorvane {

// A refused Update: the field to focus (0 the name, 1 the second field, ...), the text, and
// whether it is a warning rather than information.
struct TEditProblem {
  int field = 0;
  QString text;
  bool warning = false;
};

// Why a name cannot be a key and a section name of the game-type file ("=" inside, ";" or "#"
// at the start, blanks at either end, anything that does not read back the same); empty when
// it can. fieldCaption is the field's caption without its colon, e.g. "Game".
QString IniNameProblem(const QString& name, const QString& fieldCaption);

// What OK did to the names of the games: one mapping from each name before to its name after
// (empty for a deleted game), applied at once, so that a swap through a temporary name or a
// game renamed to a deleted one's name moves every association exactly once.
struct TGameRenames {
  std::vector<std::pair<QString, QString>> changes;  // name before, name after

  // The name after OK of the game named before (ignoring case); before itself when OK left
  // that game's name alone.
  QString After(const QString& before) const;
};

// The games dialog's list: the live games (by pointer) and the new ones it owns until OK.
class TGameListEditor {
 public:
  explicit TGameListEditor(TGameTables& tables);
  ~TGameListEditor();

  int Count() const { return int(listed_.size()); }
  TGame* At(int index) const;
  QStringList Names() const;  // working names, in list order

  // Appends "[New" + counter + "]" in state 2; returns its index.
  int New();
  // Marks the entry deleted (state 2) and takes it off the list.
  void Delete(int index);
  // Checks the fields in order and takes them over; nothing when accepted.
  std::optional<TEditProblem> Update(int index, const QString& name, const QString& association);

  // OK: accepted new games join the tables, deleted ones leave them (their game types lose
  // the association), renamed ones take their game types along. Every record ends in state 3.
  // Returns the renames, for the associations the tables do not hold.
  TGameRenames Accept();
  // Cancel: every working copy back to its committed value, state 3.
  void Cancel();

 private:
  TGameTables& tables_;
  std::vector<TGame*> listed_;
  std::vector<std::unique_ptr<TGame>> fresh_;  // created by New, not yet in the tables
  int newCounter_ = 0;
};

// What OK did to one game type, for the window to follow with its views and tabs.
struct TGameTypeChange {
  TGameType* type = nullptr;  // committed, state 3
  bool isNew = false;
  QString oldName;            // the name before OK (equal to the new one unless renamed)
  bool renamed = false;       // the name changed, ignoring case
  bool titleChanged = false;  // the tab title changed (always for a new type)
  bool teamChanged = false;   // the team flag changed (always for a new type)
};

struct TGameTypeCommit {
  QStringList deleted;                   // names of the types that are gone
  std::vector<TGameTypeChange> changed;  // new and changed types, from the end of the list
};

// The game types dialog's list: every type but "Other" and "Favorite".
class TGameTypeListEditor {
 public:
  explicit TGameTypeListEditor(TGameTables& tables);
  ~TGameTypeListEditor();

  int Count() const { return int(listed_.size()); }
  TGameType* At(int index) const;
  QStringList Names() const;
  QStringList GameNames() const;  // the drop-down list of game associations, sorted

  int New();
  void Delete(int index);
  std::optional<TEditProblem> Update(int index, const QString& name, const QString& title,
                                     const QString& team, const QString& game);

  TGameTypeCommit Accept();
  void Cancel();

 private:
  TGameTables& tables_;
  std::vector<TGameType*> listed_;
  std::vector<std::unique_ptr<TGameType>> fresh_;
  int newCounter_ = 0;
};

// The three path fields of a game.
enum class TGamePathField { Exe, Favorites, User };

struct TGamePathFieldInfo {
  TGamePathField field;
  const char* key;      // "gameExePath" ...
  const char* word;     // "Game Exe" ...
  const char* caption;  // the path field's caption
  const char* note;
};
const TGamePathFieldInfo* GamePathFieldInfo(const QString& key);  // null for an unknown key
const TGamePathFieldInfo& GamePathFieldInfo(TGamePathField field);

// Title modes of the path dialog: 0 "Set Path and  " + word, 1 "Where can I find the " +
// word + "?", 2 the caller's caption.
QString GamePathTitle(const TGamePathFieldInfo& info, int mode, const QString& caption);

// The text up to and including the last "/", or, in a path without "/" (a Windows path from
// an older file), the last "\"; empty when there is neither.
QString DirectoryPart(const QString& path);
// Checks a path field's text: empty passes; the file must exist, then its directory. The
// message when it fails.
std::optional<QString> CheckGamePath(const QString& path, const QString& caption);

// The path dialog's working copies of one field across the games.
class TGamePathEditor {
 public:
  TGamePathEditor(TGameTables& tables, TGamePathField field);
  QString PathOf(int gameIndex) const;  // the working path
  // Stores the field into the game's working copy and marks it changed.
  void Store(int gameIndex, const QString& path);
  // After an executable was chosen: the game INI and user INI it reads go into the game's
  // working copy where that is empty. Returns what was filled (empty for a path left alone).
  TIniGuess FillIniPaths(int gameIndex, const QString& exePath, const QString& home);
  // OK: changed records commit (the favourites-moved flag tells whether their favourites
  // path moved), the others clear the flag. Returns the games whose favourites moved.
  QStringList Accept();
  void Cancel();

 private:
  TEditable<QString>& Field(TGameInfo& info) const;
  TGameTables& tables_;
  TGamePathField field_;
};

// The game a path dialog opens on when no one is named: lastGame when the tables list it, else
// the first game in table order whose field is empty, else the first game.
QString PathDialogGame(const TGameTables& tables, TGamePathField field, const QString& lastGame);

// The tabs dialog's OK: each listed type (all but "Favorite") shown when ticked.
struct TTabChanges {
  QStringList shown;   // hidden before, visible now
  QStringList hidden;  // visible before, hidden now
};
TTabChanges ApplyVisibleTabs(TGameTables& tables, const QStringList& ticked);
// The types the tabs dialog lists, in list order: every one but "Favorite".
std::vector<TGameType*> TabChoices(const TGameTables& tables);

// The single-edit dialog's numbers-only rule: digits only; an empty text passes.
bool AllDigits(const QString& text);
// The local port from the dialog's text: nothing when it is not a port number (empty, or
// beyond 65535).
std::optional<int> ParseLocalPort(const QString& text);

}  // namespace zorvane
