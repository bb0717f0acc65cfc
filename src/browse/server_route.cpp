// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/server_route.h"

#include "config/game_tables.h"

namespace zorvane {

namespace {

const TGameType* ShownType(QStringView gameType,
                           const std::vector<std::unique_ptr<TGameType>>& gameTypes) {
  if (gameType.compare(QLatin1StringView(kFavoriteGameType), Qt::CaseInsensitive) == 0 ||
      gameType.compare(QLatin1StringView(kLanType), Qt::CaseInsensitive) == 0)
    return nullptr;
  for (const auto& type : gameTypes)
    if (type && type->Name.Value.compare(gameType, Qt::CaseInsensitive) == 0)
      return type->TabVisible ? type.get() : nullptr;
  return nullptr;
}

// The server's game type is viewGameType; the stored bytes are compared in place (a game type
// is nearly always Latin-1), since every view asks this of every server when the lists are
// rebuilt.
bool SameGameType(const TServer& server, const QString& viewGameType) {
  const QByteArrayView latin1 = server.TextLatin1(TServerText::GameType);
  return latin1.isEmpty()
             ? server.GameType().compare(viewGameType, Qt::CaseInsensitive) == 0
             : latin1.size() == viewGameType.size() &&
                   QLatin1StringView(latin1).compare(viewGameType, Qt::CaseInsensitive) == 0;
}

bool IsOther(QStringView viewGameType) {
  return viewGameType.compare(QLatin1StringView(kOtherGameType), Qt::CaseInsensitive) == 0;
}

}  // namespace

bool HasNoVisibleTab(QStringView gameTypeName,
                     const std::vector<std::unique_ptr<TGameType>>& gameTypes) {
  for (const auto& type : gameTypes)
    if (type && type->Name.Value.compare(gameTypeName, Qt::CaseInsensitive) == 0)
      return !type->TabVisible;
  return true;
}

TServerRoute RouteOfServer(const TServer& server,
                           const std::vector<std::unique_ptr<TGameType>>& gameTypes) {
  TServerRoute route;
  route.favorites = server.Favorite;
  route.lan = server.FromLan;
  const TGameType* type = ShownType(server.GameType(), gameTypes);
  route.typeView = type ? type->Name.Value : QString::fromLatin1(kOtherGameType);
  route.other = IsOther(route.typeView);
  return route;
}

bool BelongsToView(const TServer& server, const QString& viewGameType, bool favoriteView,
                   const std::vector<std::unique_ptr<TGameType>>& gameTypes) {
  // The LAN view holds what the last LAN search found, whatever a server calls its game type.
  if (viewGameType.compare(QLatin1StringView(kLanType), Qt::CaseInsensitive) == 0)
    return server.FromLan;
  if (favoriteView && server.Favorite) return true;
  // Most servers are of another view's type: told apart without looking at the table.
  const bool other = IsOther(viewGameType);
  if (!other && !SameGameType(server, viewGameType)) return false;
  const TServerRoute route = RouteOfServer(server, gameTypes);
  return other ? route.other : route.typeView.compare(viewGameType, Qt::CaseInsensitive) == 0;
}

}  // namespace zorvane
