// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/text_protocol.h"

#include <algorithm>
#include <vector>
#include <bitset>
#include <charconv>

#include "query/network_text.h"
#include "query/server_record.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

enum class TConversion : std::uint8_t { None, Description, Region, Mutators, Dedicated };

struct TTextKey {
  const char* key;
  TServerText field;
  TConversion conversion;
  bool fallback = false;  // used only when the datagram lacks the field's own key
};

// Keys of the status reply and the record field each one fills, sorted by key bytes once.
const std::vector<TTextKey>& StatusKeys() {
  static const std::vector<TTextKey> keys = [] {
    using F = TServerText;
    using C = TConversion;
    std::vector<TTextKey> k = {
        {"hostname", F::Description, C::Description},
        {"hostport", F::HostPort, C::None},
        {"mapname", F::MapName, C::None},
        {"gametype", F::GameType, C::None},
        {"numplayers", F::NumPlayers, C::None},
        {"maxplayers", F::MaxPlayers, C::None},
        {"gamemode", F::GameMode, C::None},
        {"gamever", F::GameVer, C::None},
        {"minnetver", F::MinNetVer, C::None},
        {"worldlog", F::WorldLog, C::None},
        {"wantworldlog", F::WantWorldLog, C::None},
        {"location", F::Location, C::Region},
        {"AdminName", F::AdminName, C::None},
        {"AdminEMail", F::AdminEMail, C::None},
        {"botskill", F::BotSkill, C::None},
        {"minplayers", F::MinPlayers, C::None},
        {"changelevels", F::ChangeLevels, C::None},
        {"fraglimit", F::FragLimit, C::None},
        {"mutators", F::Mutators, C::Mutators},
        {"password", F::Password, C::None},
        {"listenserver", F::ListenServer, C::Dedicated},
        {"timelimit", F::TimeLimit, C::None},
        {"tournament", F::Tournament, C::None},
        {"goalteamscore", F::GoalTeamScore, C::None},
        {"maxteams", F::MaxTeams, C::None},
        {"balanceteams", F::BalanceTeams, C::None},
        {"playerbalanceteams", F::PlayerBalanceTeams, C::None},
        // The name real UT servers send.
        {"playersbalanceteams", F::PlayerBalanceTeams, C::None, true},
        {"friendlyfire", F::FriendlyFire, C::None},
        {"bUseTranslocator", F::UseTranslocator, C::None},
        {"bMultiWeaponStay", F::MultiWeaponStay, C::None},
        {"bNoMonsters", F::NoMonsters, C::None},
        {"bNoCheating", F::NoCheating, C::None},
        {"GameSpeed", F::GameSpeed, C::None},
        {"TimeSeconds", F::TimeSeconds, C::None},
        {"bForceRespawn", F::ForceRespawn, C::None},
        {"AirControl", F::AirControl, C::None},
        {"RemainingTime", F::RemainingTime, C::None},
        {"bNoTeamChanges", F::NoTeamChanges, C::None},
    };
    std::sort(k.begin(), k.end(), [](const TTextKey& a, const TTextKey& b) {
      return QByteArrayView(a.key) < QByteArrayView(b.key);
    });
    return k;
  }();
  return keys;
}

const TTextKey* FindStatusKey(QByteArrayView key) {
  const auto& keys = StatusKeys();
  const auto it = std::lower_bound(keys.begin(), keys.end(), key, [](const TTextKey& k, QByteArrayView v) {
    return QByteArrayView(k.key) < v;
  });
  return it != keys.end() && QByteArrayView(it->key) == key ? &*it : nullptr;
}

// "player_12" -> field Name, slot 12. Slots are decimal without padding, 0 to 31.
bool PlayerKey(QByteArrayView key, TPlayerField& field, int& slot) {
  static constexpr const char* kPrefixes[] = {"player_", "frags_", "ping_", "team_",
                                              "mesh_",   "skin_",  "face_", "ngsecret_"};
  const qsizetype underscore = key.indexOf('_');
  if (underscore < 0) return false;
  const QByteArrayView digits = key.sliced(underscore + 1);
  if (digits.isEmpty() || digits.size() > 2 || (digits.size() == 2 && digits[0] == '0'))
    return false;
  int n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    n = n * 10 + (c - '0');
  }
  if (n >= kPlayerSlots) return false;
  const QByteArrayView prefix = key.first(underscore + 1);
  for (std::size_t f = 0; f < std::size(kPrefixes); ++f) {
    if (prefix != QByteArrayView(kPrefixes[f])) continue;
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

// As TeamColourName, on the bytes: "0".."3" or a colour name in any case; empty otherwise.
QByteArrayView TeamColour(QByteArrayView team) {
  static constexpr const char* kColours[] = {"red", "blue", "green", "gold"};
  for (int i = 0; i < 4; ++i) {
    const char digit = char('0' + i);
    if (team == QByteArrayView(&digit, 1) ||
        QLatin1StringView(team).compare(QLatin1StringView(kColours[i]), Qt::CaseInsensitive) == 0)
      return QByteArrayView(kColours[i]);
  }
  return QByteArrayView("");
}

bool UpdatesDescription(const TServer& server) {
  return QLatin1StringView(server.TextLatin1(TServerText::AutoUpdateDescription))
             .compare(QLatin1StringView("True"), Qt::CaseInsensitive) == 0;
}

// The values of one datagram, gathered first and written into the record in one go.
struct TDatagramValues {
  TServer::TTextBatch texts{};
  std::array<TServer::TPlayerBatch, kPlayerSlots> players{};
  std::bitset<kPlayerSlots> touched;
  std::array<QByteArray, 3> converted;  // storage of converted texts
  char ping[16];
  std::optional<QByteArrayView> fallbacks[kServerTextCount];
};

void Collect(const TServer& server, const TTextKey& key, QByteArrayView value,
             TDatagramValues& out) {
  auto& slot = key.fallback ? out.fallbacks[std::size_t(key.field)]
                            : out.texts[std::size_t(key.field)];
  if (slot) return;  // the first occurrence counts
  switch (key.conversion) {
    case TConversion::None:
      slot = value;
      break;
    case TConversion::Description:
      if (UpdatesDescription(server)) slot = value;
      break;
    case TConversion::Region:
      out.converted[0] = RegionName(QString::fromLatin1(value.data(), value.size())).toLatin1();
      slot = out.converted[0];
      break;
    case TConversion::Mutators:
      out.converted[1] =
          StripRelicPrefixes(QString::fromLatin1(value.data(), value.size())).toLatin1();
      slot = out.converted[1];
      break;
    case TConversion::Dedicated:
      out.converted[2] = DedicatedText(QString::fromLatin1(value.data(), value.size())).toLatin1();
      slot = out.converted[2];
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
  TNetworkTexts clean;
  if (log) {
    const QByteArrayView shown = clean.Clean(datagram);
    log(0, QString::fromLatin1(shown.data(), shown.size()));
  }

  TDatagramValues values;
  const auto pingEnd = std::to_chars(values.ping, values.ping + sizeof values.ping, elapsedPing).ptr;
  values.texts[std::size_t(TServerText::Ping)] = QByteArrayView(values.ping, pingEnd - values.ping);
  bool final = false;

  qsizetype pos = datagram.indexOf('\\');
  while (pos >= 0) {
    const qsizetype keyEnd = datagram.indexOf('\\', pos + 1);
    if (keyEnd < 0) break;  // a key without a value
    const QByteArrayView key = datagram.sliced(pos + 1, keyEnd - pos - 1);
    const qsizetype valueEnd = datagram.indexOf('\\', keyEnd + 1);
    const QByteArrayView value =
        valueEnd < 0 ? TrimTail(datagram.sliced(keyEnd + 1))
                     : datagram.sliced(keyEnd + 1, valueEnd - keyEnd - 1);
    pos = valueEnd;

    TPlayerField field;
    int slot = 0;
    if (PlayerKey(key, field, slot)) {
      auto& target = values.players[slot][std::size_t(field)];
      if (target) continue;  // the first occurrence counts
      target = field == TPlayerField::Team ? TeamColour(value) : value;
      values.touched[slot] = true;
    } else if (const TTextKey* status = FindStatusKey(key)) {
      Collect(server, *status, value, values);
    } else if (key == "final") {
      final = true;
    }
  }

  for (std::size_t f = 0; f < kServerTextCount; ++f) {
    auto& text = values.texts[f];
    if (!text) text = values.fallbacks[f];
    if (text) text = clean.Clean(*text);
  }
  server.SetTextsLatin1(values.texts);
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!values.touched[slot]) continue;
    for (auto& text : values.players[slot])
      if (text) text = clean.Clean(*text);
  }
  server.SetPlayersLatin1(values.players, values.touched);

  if (!final) return false;
  replyInProgress = 0;
  RemainingTimeToMinutes(server);
  server.RepliesSeen |= rpTextFinal;
  return true;
}

}  // namespace zorvane
