// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/find_search.h"

#include "config/game_tables.h"
#include "config/message_sink.h"
#include "query/server_stash.h"

namespace zorvane {

QString FindTabOf(const TServer& server, const TGameTables& tables, bool otherTabShown) {
  if (server.Favorite) return QString::fromLatin1(kFavoriteType);
  const TGameType* type = tables.FindGameType(server.GameType());
  // A game type without a visible tab has no view to show the server: "Other" takes it, as it
  // takes the server's replies.
  if (type && type->TabVisible && !IsBuiltInGameType(type->Name.Value))
    return type->Name.Value;
  return otherTabShown ? QString::fromLatin1(kOtherType) : QString();
}

void TFindSearch::Start(const QString& text) {
  text_ = text;
  serverIndex_ = -1;
  slotIndex_ = -1;
}

bool TFindSearch::NextHit(const TServerStash& stash, bool exact, int& index, QString& player) {
  if (kind_ == TFindKind::Player) {
    player = text_;
    index = stash.FindPlayerInStash(player, exact, serverIndex_, slotIndex_);
    return index >= 0;
  }
  QString name = text_;
  const int next = stash.FindServerByDescription(name, serverIndex_, exact);
  serverIndex_ = next;
  index = next - 1;
  return next > 0;
}

TFindResult TFindSearch::Next(const TServerStash& stash, bool exact, const TTabOf& tabOf,
                              const TShow& show, TMessageSink& messages) {
  TFindResult result;
  if (!Active()) return result;
  int index = -1;
  QString player;
  while (NextHit(stash, exact, index, player)) {
    const TServer& server = *stash.Server(index);
    TFindHit hit{tabOf(server), stash.Key(index), kind_ == TFindKind::Player ? player : QString()};
    if (hit.tab.isEmpty() || !show(hit)) continue;
    result.outcome = TFindOutcome::Shown;
    result.hit = hit;
    return result;
  }
  // With Exact Match on, a part of a name finds nothing: the second line says why.
  messages.Show(
      TMessageKind::Information,
      (kind_ == TFindKind::Player ? QStringLiteral("Player ") : QStringLiteral("Server ")) + text_ +
          QStringLiteral(" not found.") +
          (exact ? QStringLiteral("\n(Exact Match is on.)") : QString()));
  Start(QString());
  result.outcome = TFindOutcome::NotFound;
  return result;
}

}  // namespace zorvane
