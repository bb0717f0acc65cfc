// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/buddy_exchange.h"

#include "browse/player_monitor.h"
#include "config/buddy_list.h"
#include "config/game_tables.h"
#include "config/message_sink.h"
#include "config/text_lines.h"

namespace zorvane {

namespace {

const QString kUTVariant = QStringLiteral("UT");
const QString kCannotOpen =
    QStringLiteral("Could not open the ini for that game for some unknown reason :(");

bool IsUTGame(const TGame& game) {
  return game.Value.Value.compare(kUTVariant, Qt::CaseInsensitive) == 0;
}

// The file's lines; false (and nothing to work on) when it yields none.
bool LoadLines(TTextLines& lines) { return lines.Load() == TTextLoad::Loaded && lines.Count() > 0; }

}  // namespace

QStringList BuddyGameCandidates(const TGameTables& tables) {
  QStringList games;
  for (const auto& game : tables.games)
    if (!IsUTGame(*game) && !BuddyUserPath(game->Name.Value, tables).isEmpty())
      games.append(game->Name.Value);
  return games;
}

TBuddyGame BuddyGameStatus(const QString& game, const TGameTables& tables,
                           TMessageSink& messages) {
  const TGame* record = game.isEmpty() ? nullptr : tables.FindGame(game);
  if (!record) return TBuddyGame::Unknown;
  if (IsUTGame(*record)) {
    messages.Show(TMessageKind::Information,
                  QStringLiteral("The buddies list in only available in UT2004 or higher game "
                                 "types."));
    return TBuddyGame::UTOnly;
  }
  return BuddyUserPath(game, tables).isEmpty() ? TBuddyGame::NoUserPath : TBuddyGame::Ready;
}

QString BuddyUserPath(const QString& game, const TGameTables& tables) {
  const TGameInfo* paths = tables.FindPaths(game);
  return paths ? paths->UserPath.Value : QString();
}

void BuddyFileNotSpecified(const QString& verb, TMessageSink& messages) {
  messages.Show(TMessageKind::Error,
                QStringLiteral("The file to ") + verb + QStringLiteral(" was not specified."));
}

int ImportBuddies(const QString& path, TPlayerMonitor& monitor, TMessageSink& messages) {
  TTextLines lines(path);
  if (!LoadLines(lines)) {
    messages.Show(TMessageKind::Error, kCannotOpen);
    return 0;
  }
  return monitor.AddImportedPlayers(ReadBuddies(lines));
}

TBuddyExport ExportBuddy(const QString& path, const QString& player, TMessageSink& messages) {
  TTextLines lines(path);
  if (!LoadLines(lines)) {
    messages.Show(TMessageKind::Information, kCannotOpen);
    return TBuddyExport::Unreadable;
  }
  switch (InsertBuddy(lines, player)) {
    case TBuddyInsert::AlreadyListed:
      messages.Show(TMessageKind::Information,
                    player + QStringLiteral(" is already in your game file."));
      return TBuddyExport::AlreadyListed;
    case TBuddyInsert::Inserted:
      break;
  }
  switch (lines.Save()) {
    case TTextSave::Saved:
      messages.Show(TMessageKind::Information,
                    player + QStringLiteral(" was successfully exported."));
      return TBuddyExport::Exported;
    case TTextSave::ReadOnly:
      messages.Show(TMessageKind::Error,
                    QStringLiteral("Could not write ") + path +
                        QStringLiteral(": the file is read-only."));
      break;
    case TTextSave::NotLoaded:
    case TTextSave::Failed:
      messages.Show(TMessageKind::Error, QStringLiteral("Could not write ") + path + u'.');
      break;
  }
  return TBuddyExport::WriteFailed;
}

}  // namespace zorvane
