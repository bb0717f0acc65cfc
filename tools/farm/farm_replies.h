// SPDX-License-Identifier: GPL-2.0-or-later
#pragma once
// What a farm server says. Everything follows from (seed, index) alone, so the farm stores
// nothing per server and builds each reply when it is asked for.

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <utility>
#include <vector>

namespace zorvane::farm {

enum class TFarmGame { UT, UT2004 };

struct TFarmPlayer {
  QByteArray name;  // Latin-1
  int frags = 0;
  int ping = 0;
  int team = 0;  // 0 red, 1 blue, 255 spectator
  QByteArray mesh, skin, face;
};

struct TFarmServer {
  TFarmGame game = TFarmGame::UT;
  int queryPort = 0;
  QByteArray name, map, gameType, location, mutators, adminName, adminEMail;
  int maxPlayers = 0;
  int timeLimit = 0;
  int fragLimit = 0;
  int remainingSeconds = 0;
  bool teamGame = false;
  bool dedicated = true;
  int redScore = 0, blueScore = 0;
  int textParts = 1;  // datagrams of a UT status reply
  std::vector<TFarmPlayer> players;
  std::vector<std::pair<QByteArray, QByteArray>> rules;  // UT2004
};

TFarmServer GenerateServer(quint64 seed, int index, TFarmGame game, int queryPort);

// Players that follow the time of day (--daily-pattern), for the server history: the share of
// a server's seats taken is DailyPatternPercent of the local hour (busiest from 20:00 to
// 23:00), give or take one player from one minute to the next; the players keep their slots
// (the first ones stay longest), and the map changes every kPatternMapSeconds. utcSecs and
// utcOffsetSecs are the clock: the farm gives its own, tests one of their choosing.
inline constexpr int kPatternMapSeconds = 20 * 60;
int DailyPatternPercent(int localHour);
void ApplyDailyPattern(TFarmServer& server, quint64 seed, int index, qint64 utcSecs,
                       int utcOffsetSecs);

// Whether server index is one of the silent share of the farm.
bool IsSilent(quint64 seed, int index, double fraction);

// The UT status reply: one to three datagrams, each ending "\queryid\ID.PART", the last
// followed by "\final\".
QList<QByteArray> TextStatusReply(const TFarmServer& server, int queryId);

// The UT2004 reply to a binary request (its fifth byte: 0 information, 1 rules, 2 players);
// rules come in two datagrams. Nothing for a request the farm does not know.
QList<QByteArray> BinaryReply(const TFarmServer& server, QByteArrayView request);

}  // namespace zorvane::farm
