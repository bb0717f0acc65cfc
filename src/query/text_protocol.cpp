#include "query/text_protocol.h"

#include <QHash>
#include <bitset>

#include "query/server_record.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

enum class TConversion : std::uint8_t { None, Description, Region, Mutators, Dedicated };

struct TTextKey {
  TServerText field;
  TConversion conversion;
};

// Keys of the status reply and the record field each one fills.
const QHash<QByteArray, TTextKey>& StatusKeys() {
  static const QHash<QByteArray, TTextKey> keys = [] {
    using F = TServerText;
    QHash<QByteArray, TTextKey> k;
    k.insert("hostname", {F::Description, TConversion::Description});
    k.insert("hostport", {F::HostPort, TConversion::None});
    k.insert("mapname", {F::MapName, TConversion::None});
    k.insert("gametype", {F::GameType, TConversion::None});
    k.insert("numplayers", {F::NumPlayers, TConversion::None});
    k.insert("maxplayers", {F::MaxPlayers, TConversion::None});
    k.insert("gamemode", {F::GameMode, TConversion::None});
    k.insert("gamever", {F::GameVer, TConversion::None});
    k.insert("minnetver", {F::MinNetVer, TConversion::None});
    k.insert("worldlog", {F::WorldLog, TConversion::None});
    k.insert("wantworldlog", {F::WantWorldLog, TConversion::None});
    k.insert("location", {F::Location, TConversion::Region});
    k.insert("AdminName", {F::AdminName, TConversion::None});
    k.insert("AdminEMail", {F::AdminEMail, TConversion::None});
    k.insert("botskill", {F::BotSkill, TConversion::None});
    k.insert("minplayers", {F::MinPlayers, TConversion::None});
    k.insert("changelevels", {F::ChangeLevels, TConversion::None});
    k.insert("fraglimit", {F::FragLimit, TConversion::None});
    k.insert("mutators", {F::Mutators, TConversion::Mutators});
    k.insert("password", {F::Password, TConversion::None});
    k.insert("listenserver", {F::ListenServer, TConversion::Dedicated});
    k.insert("timelimit", {F::TimeLimit, TConversion::None});
    k.insert("tournament", {F::Tournament, TConversion::None});
    k.insert("goalteamscore", {F::GoalTeamScore, TConversion::None});
    k.insert("maxteams", {F::MaxTeams, TConversion::None});
    k.insert("balanceteams", {F::BalanceTeams, TConversion::None});
    k.insert("playerbalanceteams", {F::PlayerBalanceTeams, TConversion::None});
    k.insert("friendlyfire", {F::FriendlyFire, TConversion::None});
    k.insert("bUseTranslocator", {F::UseTranslocator, TConversion::None});
    k.insert("bMultiWeaponStay", {F::MultiWeaponStay, TConversion::None});
    k.insert("bNoMonsters", {F::NoMonsters, TConversion::None});
    k.insert("bNoCheating", {F::NoCheating, TConversion::None});
    k.insert("GameSpeed", {F::GameSpeed, TConversion::None});
    k.insert("TimeSeconds", {F::TimeSeconds, TConversion::None});
    k.insert("bForceRespawn", {F::ForceRespawn, TConversion::None});
    k.insert("AirControl", {F::AirControl, TConversion::None});
    k.insert("RemainingTime", {F::RemainingTime, TConversion::None});
    k.insert("bNoTeamChanges", {F::NoTeamChanges, TConversion::None});
    return k;
  }();
  return keys;
}

// "player_12" -> field Name, slot 12. Slots are decimal without padding, 0 to 31.
bool PlayerKey(QByteArrayView key, TPlayerField& field, int& slot) {
  static constexpr const char* kPrefixes[] = {"player_", "frags_", "ping_", "team_",
                                              "mesh_",   "skin_",  "face_", "ngsecret_"};
  for (std::size_t f = 0; f < std::size(kPrefixes); ++f) {
    const QByteArrayView prefix(kPrefixes[f]);
    if (!key.startsWith(prefix)) continue;
    const QByteArrayView digits = key.sliced(prefix.size());
    if (digits.isEmpty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0'))
      return false;
    int n = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      n = n * 10 + (c - '0');
    }
    if (n >= kPlayerSlots) return false;
    field = TPlayerField(f);
    slot = n;
    return true;
  }
  return false;
}

// The last value of a datagram runs to its end and loses surrounding blanks and controls.
QByteArrayView TrimTail(QByteArrayView v) {
  while (!v.isEmpty() && uchar(v.front()) <= ' ') v = v.sliced(1);
  while (!v.isEmpty() && uchar(v.back()) <= ' ') v.chop(1);
  return v;
}

void StoreValue(TServer& server, const TTextKey& key, QByteArrayView value) {
  const QString text = QString::fromLatin1(value.data(), value.size());
  switch (key.conversion) {
    case TConversion::None:
      server.SetTextLatin1(key.field, value);
      break;
    case TConversion::Description:
      if (server.AutoUpdateDescription().compare(u"True", Qt::CaseInsensitive) == 0)
        server.SetDescription(text);
      break;
    case TConversion::Region:
      server.SetLocation(RegionName(text));
      break;
    case TConversion::Mutators:
      server.SetMutators(StripRelicPrefixes(text));
      break;
    case TConversion::Dedicated:
      server.SetListenServer(DedicatedText(text));
      break;
  }
}

// RemainingTime arrives in seconds and is shown in whole minutes, only with a time limit.
void RemainingTimeToMinutes(TServer& server) {
  int timeLimit = 0, remaining = 0;
  const bool valid = ReadInteger(server.TimeLimit(), timeLimit) &&
                     ReadInteger(server.RemainingTime(), remaining);
  if (!valid || timeLimit < 1 || remaining / 60 < 0) {
    server.SetRemainingTime({});
    return;
  }
  server.SetRemainingTime(QString::number(remaining / 60));
}

}  // namespace

QByteArray TextStatusQuery() {
  QByteArray query(
      "\\status\\"
      "\\game_property\\bUseTranslocator\\"
      "\\game_property\\bMultiWeaponStay\\"
      "\\game_property\\bNoMonsters\\"
      "\\game_property\\bNoCheating\\"
      "\\game_property\\GameSpeed\\"
      "\\game_property\\bForceRespawn\\"
      "\\game_property\\AirControl\\"
      "\\game_property\\bNoTeamChanges\\"
      "\\game_property\\RemainingTime\\");
  query.append(296 - query.size(), '\0');
  return query;
}

bool ParseTextDatagram(TServer& server, QByteArrayView datagram, int& replyInProgress,
                       int elapsedPing, const TLogFunction& log) {
  if (replyInProgress == 0) {
    server.ResetValues(false);
    replyInProgress = 1;
    if (log) log(0, QStringLiteral("---------------------------"));
  }
  if (log) log(0, QString::fromLatin1(datagram.data(), datagram.size()));
  server.SetPing(QString::number(elapsedPing));

  const auto& keys = StatusKeys();
  std::bitset<kServerTextCount> seenField;
  std::bitset<kPlayerSlots * kPlayerFieldCount> seenPlayer;
  bool final = false;

  qsizetype pos = datagram.indexOf('\\');
  while (pos >= 0 && pos + 1 <= datagram.size()) {
    const qsizetype keyEnd = datagram.indexOf('\\', pos + 1);
    if (keyEnd < 0) break;  // a key without a value
    const QByteArrayView key = datagram.sliced(pos + 1, keyEnd - pos - 1);
    const qsizetype valueEnd = datagram.indexOf('\\', keyEnd + 1);
    const QByteArrayView value =
        valueEnd < 0 ? TrimTail(datagram.sliced(keyEnd + 1))
                     : datagram.sliced(keyEnd + 1, valueEnd - keyEnd - 1);
    pos = valueEnd;

    if (key == "final") {
      final = true;
      continue;
    }
    TPlayerField playerField;
    int slot = 0;
    if (const auto it = keys.constFind(QByteArray::fromRawData(key.data(), key.size())); it != keys.constEnd()) {
      const std::size_t id = std::size_t(it->field);
      if (seenField[id]) continue;
      seenField[id] = true;
      StoreValue(server, *it, value);
    } else if (PlayerKey(key, playerField, slot)) {
      const std::size_t id = std::size_t(slot) * kPlayerFieldCount + std::size_t(playerField);
      if (seenPlayer[id]) continue;
      seenPlayer[id] = true;
      if (playerField == TPlayerField::Team)
        server.SetPlayerText(slot, playerField, TeamColourName(QString::fromLatin1(value)));
      else
        server.SetPlayerTextLatin1(slot, playerField, value);
    }
  }

  if (!final) return false;
  replyInProgress = 0;
  RemainingTimeToMinutes(server);
  server.RepliesSeen |= rpTextFinal;
  return true;
}

}  // namespace zorvane
