// SPDX-License-Identifier: GPL-2.0-or-later
#include "query/text_protocol.h"

#include <algorithm>
#include <vector>
#include <bitset>
#include <charconv>
#include <cstring>
#include <string_view>

#include "query/network_text.h"
#include "query/server_record.h"
#include "query/vocabulary.h"

namespace zorvane {

namespace {

enum class TConversion : std::uint8_t { None, Description, Region, Mutators, Dedicated };

struct TTextKey {
  std::string_view key;
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
    // By length, so a look-up compares only the keys as long as the one it has.
    std::sort(k.begin(), k.end(), [](const TTextKey& a, const TTextKey& b) {
      return a.key.size() != b.key.size() ? a.key.size() < b.key.size() : a.key < b.key;
    });
    return k;
  }();
  return keys;
}

std::string_view View(QByteArrayView bytes) {
  return std::string_view(bytes.data(), std::size_t(bytes.size()));
}

// Where the next c is at or after from, or -1. A reply is mostly scanned for backslashes, and
// memchr finds them many bytes at a time.
qsizetype NextByte(QByteArrayView bytes, char c, qsizetype from) {
  if (from >= bytes.size()) return -1;
  const void* at = std::memchr(bytes.data() + from, c, std::size_t(bytes.size() - from));
  return at ? static_cast<const char*>(at) - bytes.data() : -1;
}

// Equal when the lengths and the first bytes match before any call to memcmp: most keys of a
// reply differ from most candidates in one of those.
bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() && !a.empty() && a.front() == b.front() && a == b;
}

const TTextKey* FindStatusKey(QByteArrayView key) {
  const auto& keys = StatusKeys();
  const std::string_view wanted = View(key);
  auto it = std::lower_bound(keys.begin(), keys.end(), wanted.size(),
                             [](const TTextKey& k, std::size_t size) { return k.key.size() < size; });
  for (; it != keys.end() && it->key.size() == wanted.size(); ++it)
    if (SameKey(it->key, wanted)) return &*it;
  return nullptr;
}

// "player_12" -> field Name, slot 12. Slots are decimal without padding, 0 to 31.
bool PlayerKey(QByteArrayView key, TPlayerField& field, int& slot) {
  static constexpr std::string_view kPrefixes[] = {"player_", "frags_", "ping_", "team_",
                                                   "mesh_",   "skin_",  "face_", "ngsecret_"};
  const qsizetype underscore = NextByte(key, '_', 0);
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
  const std::string_view prefix = View(key.first(underscore + 1));
  for (std::size_t f = 0; f < std::size(kPrefixes); ++f) {
    if (!SameKey(prefix, kPrefixes[f])) continue;
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
  char minutes[16];
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

bool ReadLatin1Integer(QByteArrayView latin1, int& value) {
  char16_t wide[32];
  if (latin1.size() > qsizetype(std::size(wide)))
    return ReadInteger(QString::fromLatin1(latin1.data(), latin1.size()), value);
  for (qsizetype i = 0; i < latin1.size(); ++i) wide[i] = uchar(latin1[i]);
  return ReadInteger(QStringView(wide, latin1.size()), value);
}

// The integer field f holds once texts are written over the record (reset first when fresh).
bool ReadWritten(const TServer& server, const TServer::TTextBatch& texts, TServerText f,
                 bool fresh, int& value) {
  if (const auto& text = texts[std::size_t(f)]) return ReadLatin1Integer(*text, value);
  if (fresh) return false;  // a reset empties it
  const QByteArrayView stored = server.TextLatin1(f);
  if (stored.isEmpty() && !server.TextEmpty(f)) return ReadInteger(server.Text(f), value);
  return ReadLatin1Integer(stored, value);
}

// RemainingTime arrives in seconds and is shown in whole minutes, only with a time limit: the
// text it gets with the last datagram of a reply, written with the others in one go.
QByteArrayView RemainingMinutes(const TServer& server, TDatagramValues& values, bool fresh) {
  int timeLimit = 0, remaining = 0;
  const bool valid = ReadWritten(server, values.texts, TServerText::TimeLimit, fresh, timeLimit) &&
                     ReadWritten(server, values.texts, TServerText::RemainingTime, fresh, remaining);
  if (!valid || timeLimit < 1 || remaining / 60 < 0) return QByteArrayView("");
  const auto end = std::to_chars(values.minutes, values.minutes + sizeof values.minutes,
                                 remaining / 60).ptr;
  return QByteArrayView(values.minutes, end - values.minutes);
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
  // The first datagram of a reply resets the record, in the same rebuild as its values.
  const bool fresh = replyInProgress == 0;
  if (fresh) {
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

  qsizetype pos = NextByte(datagram, '\\', 0);
  while (pos >= 0) {
    const qsizetype keyEnd = NextByte(datagram, '\\', pos + 1);
    if (keyEnd < 0) break;  // a key without a value
    const QByteArrayView key = datagram.sliced(pos + 1, keyEnd - pos - 1);
    const qsizetype valueEnd = NextByte(datagram, '\\', keyEnd + 1);
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
  if (final)
    values.texts[std::size_t(TServerText::RemainingTime)] = RemainingMinutes(server, values, fresh);
  if (fresh)
    server.ResetValues(false, values.texts);
  else
    server.SetTextsLatin1(values.texts);
  for (int slot = 0; slot < kPlayerSlots; ++slot) {
    if (!values.touched[slot]) continue;
    for (auto& text : values.players[slot])
      if (text) text = clean.Clean(*text);
  }
  server.SetPlayersLatin1(values.players, values.touched);

  if (!final) return false;
  replyInProgress = 0;
  server.RepliesSeen |= rpTextFinal;
  return true;
}

}  // namespace zorvane
