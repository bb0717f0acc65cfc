// SPDX-License-Identifier: GPL-2.0-or-later
#include "tools/farm/farm_replies.h"

#include <QtEndian>
#include <algorithm>
#include <array>

namespace zorvane::farm {

namespace {

quint64 Mix(quint64 z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

// splitmix64: small, fast, and the same sequence on every platform.
class TRandom {
 public:
  explicit TRandom(quint64 seed) : state_(seed) {}
  quint64 Next() { return Mix(state_ += 0x9E3779B97F4A7C15ULL); }
  int Below(int n) { return int(Next() % quint64(n)); }
  int Between(int low, int high) { return low + Below(high - low + 1); }
  bool Percent(int p) { return Below(100) < p; }
  template <typename T, std::size_t N>
  const T& Pick(const std::array<T, N>& items) {
    return items[std::size_t(Below(int(N)))];
  }

 private:
  quint64 state_;
};

using TTexts = std::array<const char*, 8>;

// Latin-1 on purpose: names and places with bytes from 0xA0 up are what real servers send.
constexpr TTexts kServerNames{"Zorvane Farm",
                              "\xAB"
                              "Frag Haus"
                              "\xBB",
                              "Caf\xE9 Carnage",
                              "\xD6l & Eisen",
                              "Se\xF1or Rocket",
                              "The Pit",
                              "\xA1Ol\xE9! DM",
                              "Bunker 7"};
constexpr TTexts kPlayerNames{"J\xF6rg",
                              "\xD1"
                              "and\xFA",
                              "\xC7"
                              "elik",
                              "S\xF8ren",
                              "Zo\xEB",
                              "Rocketeer",
                              "xX_Doom_Xx",
                              "\xA4Ghost\xA4"};
constexpr TTexts kPlaces{"Frankfurt, Germany", "Texas",         "S\xE3o Paulo", "Reykjav\xEDk",
                         "Somewhere cold",     "Paris, France", "Melbourne",    "Osaka"};
constexpr TTexts kMeshes{"Male Commando",   "Female Soldier", "Boss",         "Male Soldier",
                         "Female Commando", "Male Commando",  "Male Soldier", "Boss"};
constexpr TTexts kSkins{"CommandoSkins.cmdo", "SoldierSkins.blkt",   "BossSkins.boss",
                        "SoldierSkins.sldr",  "FCommandoSkins.cmdo", "CommandoSkins.daco",
                        "SoldierSkins.RawS",  "BossSkins.boss"};
constexpr TTexts kFaces{"CommandoSkins.Gorn",   "SoldierSkins.Brock",   "BossSkins.Xan",
                        "SoldierSkins.Johnson", "FCommandoSkins.Tanya", "CommandoSkins.Luthor",
                        "SoldierSkins.Rankin",  "BossSkins.Xan"};
constexpr TTexts kMutators{
    "Relic: Regeneration", "Relic: Speed",   "Relic: Strength", "InstaGib", "LowGrav",
    "NoRedeemer",          "Relic: Defense", "Chainsaw Melee"};

struct TGameKind {
  const char* gameType;
  bool team;
};
constexpr std::array<TGameKind, 6> kUtGames{{{"DeathMatchPlus", false},
                                             {"TeamGamePlus", true},
                                             {"CTFGame", true},
                                             {"Assault", true},
                                             {"Domination", true},
                                             {"LastManStanding", false}}};
constexpr std::array<TGameKind, 6> kUt2004Games{{{"xDeathMatch", false},
                                                 {"xTeamGame", true},
                                                 {"xCTFGame", true},
                                                 {"ONSOnslaughtGame", true},
                                                 {"xBombingRun", true},
                                                 {"ASGameInfo", true}}};
constexpr TTexts kUtMaps{"DM-Deck16][", "DM-Morpheus", "CTF-Face",   "CTF-Coret",
                         "DM-Curse][",  "AS-Frigate",  "DOM-Sesmar", "DM-Agony"};
constexpr TTexts kUt2004Maps{"DM-Rankin",  "ONS-Torlan", "CTF-FaceClassic", "BR-Colossus",
                             "DM-Antalus", "ONS-Dria",   "AS-Convoy",       "CTF-Maul"};

constexpr int kMaxTextDatagram = 1200;  // well inside the 2048 bytes a client reads

void GeneratePlayers(TRandom& random, TFarmServer& server) {
  const bool ut2004 = server.game == TFarmGame::UT2004;
  const int count = random.Below(std::min(server.maxPlayers, ut2004 ? 24 : 16) + 1);
  for (int i = 0; i < count; ++i) {
    TFarmPlayer player;
    // The slot number keeps names distinct: clients drop a repeated name.
    player.name = QByteArray(random.Pick(kPlayerNames)) + QByteArray::number(i);
    player.frags = random.Between(-10, 49);
    player.ping = ut2004 ? random.Between(20, 600) : random.Between(10, 250);
    player.team = random.Percent(10) ? 255 : server.teamGame ? i % 2 : 0;
    player.mesh = random.Pick(kMeshes);
    player.skin = random.Pick(kSkins);
    player.face = random.Pick(kFaces);
    server.players.push_back(player);
  }
}

void GenerateRules(TRandom& random, TFarmServer& server) {
  auto& rules = server.rules;
  rules.push_back({"ServerMode", server.dedicated ? "dedicated" : "non-dedicated"});
  rules.push_back({"AdminName", server.adminName});
  rules.push_back({"AdminEmail", server.adminEMail});
  rules.push_back({"ServerVersion", "3369"});
  rules.push_back({"IsVacSecured", random.Percent(80) ? "true" : "false"});
  rules.push_back({"MaxSpectators", QByteArray::number(random.Between(0, 8))});
  rules.push_back({"GamePassword", random.Percent(10) ? "True" : "False"});
  rules.push_back({"GameStats", random.Percent(50) ? "True" : "False"});
  rules.push_back({"TimeLimit", QByteArray::number(server.timeLimit)});
  rules.push_back({"GoalScore", QByteArray::number(server.fragLimit)});
  rules.push_back({"TranslocEnabled", random.Percent(50) ? "True" : "False"});
  rules.push_back({"FriendlyFireScale", QByteArray::number(random.Below(5) * 25) + "%"});
  // Several rows share the name "Mutator", one per mutator.
  constexpr std::array<const char*, 5> kMutators2004{"MutInstaGib", "MutQuadJump", "MutUTComp",
                                                     "MutNoAdrenaline", "MutVampire"};
  const int start = random.Below(int(kMutators2004.size()));
  for (int i = random.Below(4); i > 0; --i)
    rules.push_back({"Mutator", kMutators2004[std::size_t(start + i) % kMutators2004.size()]});
}

QByteArray Pair(QByteArrayView key, QByteArrayView value) {
  QByteArray pair;
  pair.reserve(key.size() + value.size() + 2);
  return pair.append('\\').append(key).append('\\').append(value);
}

// Key-value runs of the status reply, each to stay whole within one datagram.
std::vector<QByteArray> StatusRuns(const TFarmServer& s) {
  std::vector<QByteArray> runs;
  QByteArray info =
      Pair("hostname", s.name) + Pair("hostport", QByteArray::number(s.queryPort - 1)) +
      Pair("maptitle", s.map.mid(s.map.indexOf('-') + 1)) + Pair("mapname", s.map) +
      Pair("gametype", s.gameType) +
      Pair("numplayers", QByteArray::number(qsizetype(s.players.size()))) +
      Pair("maxplayers", QByteArray::number(s.maxPlayers)) + Pair("gamemode", "openplaying") +
      Pair("gamever", "451") + Pair("minnetver", "432") + Pair("worldlog", "False") +
      Pair("wantworldlog", "False") + Pair("location", s.location);
  runs.push_back(info);
  runs.push_back(
      Pair("AdminName", s.adminName) + Pair("AdminEMail", s.adminEMail) +
      Pair("mutators", s.mutators) + Pair("listenserver", s.dedicated ? "False" : "True") +
      Pair("password", "False") + Pair("timelimit", QByteArray::number(s.timeLimit)) +
      Pair("fraglimit", QByteArray::number(s.fragLimit)) + Pair("tournament", "False") +
      Pair("changelevels", "True") + Pair("botskill", "Skilled") + Pair("minplayers", "0"));
  runs.push_back(Pair("bUseTranslocator", s.teamGame ? "True" : "False") +
                 Pair("bMultiWeaponStay", "True") + Pair("bNoMonsters", "True") +
                 Pair("bNoCheating", "True") + Pair("GameSpeed", "100") +
                 Pair("bForceRespawn", "False") + Pair("AirControl", "0.350000") +
                 Pair("bNoTeamChanges", "False") +
                 Pair("RemainingTime", QByteArray::number(s.remainingSeconds)));
  if (s.teamGame)
    runs.push_back(Pair("goalteamscore", "3") + Pair("maxteams", "2") +
                   Pair("balanceteams", "True") + Pair("playerbalanceteams", "True") +
                   Pair("friendlyfire", "0%"));
  for (std::size_t i = 0; i < s.players.size(); ++i) {
    const TFarmPlayer& p = s.players[i];
    const QByteArray n = '_' + QByteArray::number(qsizetype(i));
    const auto key = [&n](const char* name) -> QByteArray { return name + n; };
    runs.push_back(Pair(key("player"), p.name) + Pair(key("frags"), QByteArray::number(p.frags)) +
                   Pair(key("ping"), QByteArray::number(p.ping)) +
                   Pair(key("team"), QByteArray::number(p.team)) + Pair(key("mesh"), p.mesh) +
                   Pair(key("skin"), p.skin) + Pair(key("face"), p.face) +
                   Pair(key("ngsecret"), "true"));
  }
  return runs;
}

class TBinaryWriter {
 public:
  explicit TBinaryWriter(quint8 type) : bytes_("\x80\0\0\0", 4) { bytes_.append(char(type)); }
  TBinaryWriter& Int(qint32 v) {
    char le[4];
    qToLittleEndian(v, le);
    bytes_.append(le, 4);
    return *this;
  }
  // Length byte counting the closing zero.
  TBinaryWriter& Str(QByteArrayView s) {
    s = s.first(std::min<qsizetype>(s.size(), 250));
    bytes_.append(char(s.size() + 1)).append(s).append('\0');
    return *this;
  }
  qsizetype Size() const { return bytes_.size(); }
  QByteArray Bytes() const { return bytes_; }

 private:
  QByteArray bytes_;
};

qint32 TeamBits(int team) {
  return team == 0 ? 0x20000000 : team == 1 ? 0x40000000 : team;
}

}  // namespace

TFarmServer GenerateServer(quint64 seed, int index, TFarmGame game, int queryPort) {
  TRandom random(Mix(seed) ^ Mix(quint64(index) * 2 + (game == TFarmGame::UT2004)));
  TFarmServer s;
  s.game = game;
  s.queryPort = queryPort;
  const bool ut2004 = game == TFarmGame::UT2004;
  s.name = QByteArray(random.Pick(kServerNames)) + " #" + QByteArray::number(index);
  // A third of the UT2004 names carry colour codes (escape, then red, green and blue bytes,
  // none zero), as many real ones do. Chosen by index, so the random values stay as they were.
  if (ut2004 && index % 3 == 0) s.name = "\x1B\xFF\xC0\x01" + s.name + "\x1B\x01\xC0\xFF!";
  s.map = ut2004 ? random.Pick(kUt2004Maps) : random.Pick(kUtMaps);
  const TGameKind& kind = ut2004 ? random.Pick(kUt2004Games) : random.Pick(kUtGames);
  s.gameType = kind.gameType;
  s.teamGame = kind.team;
  // Region codes, one outside the table, and free text.
  const int where = random.Below(10);
  s.location = where < 6   ? QByteArray::number(random.Below(13))
               : where < 7 ? QByteArray("42")
                           : QByteArray(random.Pick(kPlaces));
  QByteArrayList mutators;
  for (int i = random.Below(4); i > 0; --i) mutators << random.Pick(kMutators);
  s.mutators = mutators.join(", ");
  s.adminName = QByteArray(random.Pick(kPlayerNames)) + " the Admin";
  s.adminEMail = "admin" + QByteArray::number(index) + "@example.org";
  s.maxPlayers = ut2004 ? random.Between(8, 32) : random.Between(8, 16);
  s.timeLimit = random.Percent(20) ? 0 : random.Between(1, 6) * 5;
  s.fragLimit = random.Between(0, 50);
  s.remainingSeconds = s.timeLimit * 60 - random.Below(s.timeLimit * 60 + 1);
  s.dedicated = !random.Percent(10);
  s.redScore = random.Between(0, 99);
  s.blueScore = random.Between(0, 99);
  s.textParts = random.Between(1, 3);
  GeneratePlayers(random, s);
  if (ut2004) GenerateRules(random, s);
  return s;
}

int DailyPatternPercent(int localHour) {
  if (localHour >= 20 && localHour <= 22) return 100;
  if (localHour == 19 || localHour == 23) return 50;
  if (localHour >= 12 && localHour <= 18) return 25;
  return 5;
}

void ApplyDailyPattern(TFarmServer& server, quint64 seed, int index, qint64 utcSecs,
                       int utcOffsetSecs) {
  const bool ut2004 = server.game == TFarmGame::UT2004;
  const qint64 local = utcSecs + utcOffsetSecs;
  const int hour = int(((local % 86400) + 86400) % 86400 / 3600);
  const int seats = std::min(server.maxPlayers, ut2004 ? 24 : 16);
  const quint64 minute = quint64(utcSecs / 60);
  const int jitter = int(Mix(seed ^ Mix(quint64(index) * 7919 + minute)) % 3) - 1;
  const int count = std::clamp((seats * DailyPatternPercent(hour) + 50) / 100 + jitter, 0, seats);
  // The players the server was made with, then regulars after them, each in its own slot.
  TRandom random(Mix(seed) ^ Mix(quint64(index) * 31 + 5));
  while (int(server.players.size()) < count) {
    TFarmPlayer player;
    player.name = "Regular" + QByteArray::number(qsizetype(server.players.size()));
    player.frags = random.Between(-10, 49);
    player.ping = random.Between(20, 250);
    player.team = server.teamGame ? int(server.players.size()) % 2 : 0;
    player.mesh = random.Pick(kMeshes);
    player.skin = random.Pick(kSkins);
    player.face = random.Pick(kFaces);
    server.players.push_back(player);
  }
  server.players.resize(std::size_t(count));
  const TTexts& maps = ut2004 ? kUt2004Maps : kUtMaps;
  server.map = maps[std::size_t((Mix(seed ^ quint64(index)) + quint64(utcSecs / kPatternMapSeconds)) %
                                maps.size())];
}

bool IsSilent(quint64 seed, int index, double fraction) {
  TRandom random(Mix(seed ^ 0x5157E47ULL) ^ Mix(quint64(index)));
  return double(random.Next() >> 11) * 0x1.0p-53 < fraction;
}

QList<QByteArray> TextStatusReply(const TFarmServer& server, int queryId) {
  const std::vector<QByteArray> runs = StatusRuns(server);
  qsizetype total = 0;
  for (const QByteArray& run : runs) total += run.size();
  const int needed = int((total + kMaxTextDatagram - 1) / kMaxTextDatagram);
  const int parts = std::min(3, std::max(server.textParts, needed));
  const qsizetype share = (total + parts - 1) / parts;

  QList<QByteArray> datagrams(1);
  for (const QByteArray& run : runs) {
    if (!datagrams.back().isEmpty() && datagrams.back().size() + run.size() > share &&
        datagrams.size() < parts)
      datagrams.append(QByteArray());
    datagrams.back() += run;
  }
  const QByteArray id = QByteArray::number(queryId) + '.';
  for (qsizetype i = 0; i < datagrams.size(); ++i)
    datagrams[i] += "\\queryid\\" + id + QByteArray::number(i + 1);
  datagrams.back() += "\\final\\";
  return datagrams;
}

QList<QByteArray> BinaryReply(const TFarmServer& s, QByteArrayView request) {
  if (request.size() < 5) return {};
  switch (quint8(request[4])) {
    case 0: {
      TBinaryWriter info(0);
      info.Int(s.queryPort)
          .Str("")
          .Int(s.queryPort - 1)
          .Int(s.queryPort)
          .Str(s.name)
          .Str(s.map)
          .Str(s.gameType)
          .Int(qint32(s.players.size()))
          .Int(s.maxPlayers)
          .Int(0)
          .Int(0)
          .Str("");  // ping, flags, skill: unread by clients
      return {info.Bytes()};
    }
    case 1: {
      TBinaryWriter first(1), second(1);
      const std::size_t half = s.rules.size() / 2;
      for (std::size_t i = 0; i < s.rules.size(); ++i)
        (i < half ? first : second).Str(s.rules[i].first).Str(s.rules[i].second);
      return {first.Bytes(), second.Bytes()};
    }
    case 2: {
      TBinaryWriter players(2);
      for (std::size_t i = 0; i < s.players.size(); ++i) {
        const TFarmPlayer& p = s.players[i];
        players.Int(qint32(i)).Str(p.name).Int(p.ping).Int(p.frags).Int(TeamBits(p.team));
      }
      if (s.teamGame)
        players.Int(0)
            .Str("Red Team Score")
            .Int(0)
            .Int(s.redScore)
            .Int(TeamBits(0))
            .Int(0)
            .Str("Blue Team Score")
            .Int(0)
            .Int(s.blueScore)
            .Int(TeamBits(1));
      return {players.Bytes()};
    }
    default:
      return {};
  }
}

}  // namespace zorvane::farm
