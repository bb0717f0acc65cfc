// SPDX-License-Identifier: GPL-2.0-or-later
#include "browse/server_rows.h"

#include "browse/country_lookup.h"
#include "config/game_tables.h"
#include "query/network_text.h"
#include "query/vocabulary.h"

namespace zorvane {

QString PlayersText(const TServer& server, bool morePlayerInfo) {
  const QString players = server.NumPlayers();
  const QString max = server.MaxPlayers();
  if (morePlayerInfo && !players.isEmpty() && !max.isEmpty()) return players + u'/' + max;
  return players;
}

QString PingText(const TServer& server) {
  return server.FromCache ? u'(' + server.Ping() + u')' : server.Ping();
}

bool NeedsPassword(const TServer& server) {
  const auto yes = [](const QString& value) {
    return value.compare(u"True", Qt::CaseInsensitive) == 0 || value == u"1";
  };
  if (yes(server.Password())) return true;
  for (int i = 0; i < std::min(server.SettingSlotsUsed(), kSettingSlots); ++i) {
    const RSetting setting = server.Setting(i);
    if (setting.Name.compare(u"GamePassword", Qt::CaseInsensitive) == 0) return yes(setting.Value);
  }
  return false;
}

QString PasswordText(const TServer& server) {
  return NeedsPassword(server) ? QStringLiteral("Yes") : QString();
}

QString AddressText(const TServer& server) {
  const QString host = server.IP().isEmpty() ? server.DNSName() : server.IP();
  if (host.isEmpty()) return {};
  return host + u':' + QString::number(server.Port - 1);
}

QString GameTypeText(const QString& reported,
                     const std::vector<std::unique_ptr<TGameType>>& gameTypes) {
  for (const auto& type : gameTypes) {
    if (!type || type->Name.Value.compare(reported, Qt::CaseInsensitive) != 0) continue;
    // The built-in views are no game type a server reports.
    if (IsBuiltInGameType(type->Name.Value)) break;
    const QString title = PlainTitle(type->Description.Value);
    return title.isEmpty() ? reported : title;
  }
  return reported;
}

std::array<QString, scCount> ServerRowTexts(
    const TServer& server, const QString& key, bool morePlayerInfo, TCountryLookup* countries,
    const std::vector<std::unique_ptr<TGameType>>* gameTypes) {
  QString country;
  if (countries) country = countries->CountryOf(server.IP());
  const QString gameType = server.GameType();
  return {PlainName(server.Description()),
          PlayersText(server, morePlayerInfo),
          PingText(server),
          server.MapName(),
          gameTypes ? GameTypeText(gameType, *gameTypes) : gameType,
          key,
          country,
          AddressText(server),
          PasswordText(server)};
}

std::vector<std::array<QString, pcCount>> PlayerRows(const TServer& server) {
  std::vector<std::array<QString, pcCount>> rows;
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!server.PlayerInUse(slot)) continue;
    const RPlayer p = server.Player(slot);
    rows.push_back({PlainName(p.Name), p.Frags, p.Ping, p.Team});
  }
  return rows;
}

std::vector<std::pair<QString, QString>> SettingRows(const TServer& server) {
  std::vector<std::pair<QString, QString>> rows;
  const auto add = [&](const char* name, const QString& value) {
    if (!value.isEmpty()) rows.emplace_back(QString::fromLatin1(name), value);
  };
  add("IP Address", server.IP().isEmpty() ? QStringLiteral("unresolved")
                                          : server.IP() + u':' + QString::number(server.Port - 1));
  add("DNS", server.DNSName());
  add("Version", server.Game());
  if (server.Game().compare(u"UT", Qt::CaseInsensitive) != 0) {
    // The slots fill from the first: a free one (name and value empty) ends them. A setting
    // the server left empty (AdminName="") is only not shown; those after it still are.
    for (int i = 0; i < std::min(server.SettingSlotsUsed(), kSettingSlots); ++i) {
      const RSetting s = server.Setting(i);
      if (s.Name.isEmpty() && s.Value.isEmpty()) break;
      if (s.Value.isEmpty()) continue;
      rows.emplace_back(s.Name, PlainName(s.Value));
    }
    return rows;
  }
  add("Admin Name", server.AdminName());
  add("Admin Email", server.AdminEMail());
  add("Password Required", server.Password());
  add("Frag Limit", server.FragLimit());
  add("Time Limit", server.TimeLimit());
  add("Time Remaining", server.RemainingTime());
  add("Bot Skill", server.BotSkill());
  add("Min Players (And Bots)", server.MinPlayers());
  add("Max Players", server.MaxPlayers());
  add("Mutators", server.Mutators());
  add("Translocator", server.UseTranslocator());
  add("Goal Team Score", server.GoalTeamScore());
  add("Max Teams", server.MaxTeams());
  add("Friendly Fire", server.FriendlyFire());
  add("Game Speed", server.GameSpeed());
  add("Air Control", server.AirControl());
  add("Weapon Stay", server.MultiWeaponStay());
  add("Force Respawn", server.ForceRespawn());
  add("Balance Teams", server.BalanceTeams());
  add("Player Balance Teams", server.PlayerBalanceTeams());
  add("No Monsters", server.NoMonsters());
  add("No Cheating", server.NoCheating());
  add("Game Version", server.GameVer());
  add("Min Net Version", server.MinNetVer());
  add("World Log", server.WorldLog());
  add("Want World Log", server.WantWorldLog());
  add("Server Mode", server.ListenServer());
  add("Auto Change Levels", server.ChangeLevels());
  add("Tournament Mode", server.Tournament());
  add("No Team Changes", server.NoTeamChanges());
  add("Location", server.Location());
  return rows;
}

QString CountText(int dataRows, bool singleRowHasKey, const QString& title) {
  const QString plain = PlainTitle(title);
  if (dataRows == 1)
    return singleRowHasKey ? QStringLiteral("1 ") + plain + QStringLiteral(" server")
                           : QStringLiteral("0 ") + plain + QStringLiteral(" servers");
  return QString::number(dataRows) + u' ' + plain + QStringLiteral(" servers");
}

QString PlainTitle(const QString& title) {
  QString plain = title;
  const qsizetype amp = plain.indexOf(u'&');
  if (amp >= 0) plain.remove(amp, 1);
  return plain;
}

}  // namespace zorvane
